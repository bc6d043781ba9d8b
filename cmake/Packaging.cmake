# SPDX-License-Identifier: GPL-3.0-or-later
# Installed as a desktop program: the stripped executable, its menu entry, its
# icon at the hicolor theme's sizes, AppStream metadata and the manual page.
# The menu entry, the icons and the metadata carry the program's id;
# `cmake --build build --target package` makes a Debian package of the same
# files.
include(GNUInstallDirs)
set(VELTRANO_MAINTAINER "Zenko <veltrano@zenko.com>"
    CACHE STRING "The package's maintainer, with an e-mail address")
set(VELTRANO_HOMEPAGE "https://zenko.com/veltrano" CACHE STRING "The program's home page")

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

# Debian's policy wants the manual page and the changelog compressed, with no
# time stamp in the gzip header so that the package builds the same each time.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/veltrano)
configure_file(resources/debian/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
configure_file(resources/debian/copyright ${CMAKE_BINARY_DIR}/copyright @ONLY)
find_program(GZIP gzip REQUIRED)
foreach(source IN ITEMS ${CMAKE_SOURCE_DIR}/docs/veltrano.1 ${CMAKE_BINARY_DIR}/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}.gz
                     COMMAND ${GZIP} -9 -n -c ${source} > ${CMAKE_BINARY_DIR}/${name}.gz
                     DEPENDS ${source} VERBATIM)
endforeach()
add_custom_target(veltrano_compressed_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/veltrano.1.gz
                                                       ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/veltrano.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz ${CMAKE_BINARY_DIR}/copyright
        DESTINATION ${docdir})

# The Debian package. dpkg-shlibdeps finds the libraries the program links;
# Qt's window-system plugin is loaded at run time, so it is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrano)
set(CPACK_PACKAGE_VENDOR Zenko)
set(CPACK_PACKAGE_CONTACT ${VELTRANO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELTRANO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELTRANO_HOMEPAGE})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
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
