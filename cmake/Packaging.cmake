# Installed as a desktop program: the stripped executable, its menu entry, its
# icon at the hicolor theme's sizes, AppStream metadata and the manual page.
# The menu entry, the icons and the metadata carry the program's id;
# `cmake --build build --target package` makes a Debian package of the same
# files.
include(GNUInstallDirs)

# A plain install strips the program; build/veltrano keeps the debug information.
install(CODE "set(CMAKE_INSTALL_DO_STRIP TRUE)")
install(TARGETS veltrano RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

foreach(file desktop metainfo.xml)
  configure_file(resources/veltrano.${file}.in ${CMAKE_BINARY_DIR}/${VELTRANO_APP_ID}.${file} @ONLY)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/${VELTRANO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${VELTRANO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Up to 48 pixels each size has a drawing on its own pixel grid; 64 pixels and
# up are made from the 64-unit drawing, which is also the scalable icon.
set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES resources/icons/veltrano-${size}.png DESTINATION ${icons}/${size}x${size}/apps
          RENAME ${VELTRANO_APP_ID}.png)
endforeach()
install(FILES resources/icons/veltrano.svg DESTINATION ${icons}/scalable/apps
        RENAME ${VELTRANO_APP_ID}.svg)

install(FILES docs/veltrano.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package. dpkg-shlibdeps finds the libraries the program links;
# Qt's window-system plugin is loaded at run time, so it is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrano)
set(CPACK_PACKAGE_VENDOR Zenko)
set(CPACK_PACKAGE_CONTACT Zenko)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test bench for a sound card: analyser and signal generator")
set(CPACK_PACKAGE_DESCRIPTION
    "Veltrano records a sound card's stereo input and shows it as a spectrogram,\n\
FFT bars, a spectral amplitude trace, an oscilloscope, LED peak meters, dBFS\n\
readouts and a frequency counter, while it plays two sine tones, white noise\n\
and a sweep on the card's output.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# A sound server to measure through; the pulseaudio program also serves --loopback.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pulseaudio, pavucontrol")
include(CPack)
