# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file includes a header its layer may not: settings/ and
# widgets/ no window header (app/), no control or widget an X server's.
# Run as a test: cmake -DSOURCE=<source folder> -P CheckLayers.cmake
set(rules
    "settings/*.[hc]*=#include \"app/"
    "widgets/*.[hc]*=#include \"app/"
    "widgets/*.[hc]*=#include <(xcb|X11)/"
    "platform/*.h=#include <(xcb|X11)/")
set(broken "")
foreach(rule ${rules})
  string(FIND "${rule}" "=" at)
  string(SUBSTRING "${rule}" 0 ${at} pattern)
  math(EXPR at "${at} + 1")
  string(SUBSTRING "${rule}" ${at} -1 forbidden)
  file(GLOB files RELATIVE ${SOURCE} ${SOURCE}/${pattern})
  foreach(file ${files})
    file(STRINGS ${SOURCE}/${file} lines REGEX "^${forbidden}")
    if(lines)
      list(APPEND broken "${file}: ${lines}")
    endif()
  endforeach()
endforeach()
if(broken)
  list(JOIN broken "\n" text)
  message(FATAL_ERROR "includes across the layers:\n${text}")
endif()
