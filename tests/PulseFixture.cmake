# SPDX-License-Identifier: GPL-3.0-or-later
include_guard(GLOBAL)

# A private sound server for the tests that need one: CTest fixture
# `pulse_server`. A test made with add_test uses it with
#   set_tests_properties(<test> PROPERTIES FIXTURES_REQUIRED pulse_server
#                        RESOURCE_LOCK pulse_server ENVIRONMENT "${VELTRANO_PULSE_ENV}")
# and the tests of a gtest_discover_tests executable with
# veltrano_use_pulse_server(<target>) (below).
# The server's default sink is the null sink `veltrano_test` (48000 Hz
# stereo); its monitor is the default source. VELTRANO_PULSE_ENV also points
# the client's home, runtime and config into the build tree, so no test reaches
# the user's own server or settings. Tests that kill a server start their own
# with ${VELTRANO_PULSE_SCRIPT} start|stop <dir>.

set(VELTRANO_PULSE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/pulse/pulse-server.sh)
set(VELTRANO_PULSE_DIR ${CMAKE_BINARY_DIR}/pulse-srv)
set(VELTRANO_PULSE_CLIENT_DIR ${CMAKE_BINARY_DIR}/pulse-client)

file(MAKE_DIRECTORY ${VELTRANO_PULSE_CLIENT_DIR}/home/.config ${VELTRANO_PULSE_CLIENT_DIR}/runtime)
file(CHMOD ${VELTRANO_PULSE_CLIENT_DIR}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE
     OWNER_EXECUTE)
file(WRITE ${VELTRANO_PULSE_CLIENT_DIR}/client.conf "autospawn = no\n")

set(VELTRANO_PULSE_ENV
    PULSE_SERVER=unix:${VELTRANO_PULSE_DIR}/native
    PULSE_CLIENTCONFIG=${VELTRANO_PULSE_CLIENT_DIR}/client.conf
    PULSE_COOKIE=${VELTRANO_PULSE_CLIENT_DIR}/cookie
    PULSE_RUNTIME_PATH=${VELTRANO_PULSE_CLIENT_DIR}/runtime
    HOME=${VELTRANO_PULSE_CLIENT_DIR}/home
    XDG_CONFIG_HOME=${VELTRANO_PULSE_CLIENT_DIR}/home/.config
    XDG_RUNTIME_DIR=${VELTRANO_PULSE_CLIENT_DIR}/runtime)

add_test(NAME pulse_server_start COMMAND ${VELTRANO_PULSE_SCRIPT} start ${VELTRANO_PULSE_DIR})
add_test(NAME pulse_server_stop COMMAND ${VELTRANO_PULSE_SCRIPT} stop ${VELTRANO_PULSE_DIR})
set_tests_properties(pulse_server_start PROPERTIES FIXTURES_SETUP pulse_server LABELS "audio;e2e"
                                                   TIMEOUT 30)
set_tests_properties(pulse_server_stop PROPERTIES FIXTURES_CLEANUP pulse_server LABELS "audio;e2e"
                                                  TIMEOUT 30)

# Makes every test that gtest_discover_tests found in <target> use the server:
# fixture, lock and environment. Call it after gtest_discover_tests(<target>);
# the environment is set here because a list in gtest_discover_tests'
# PROPERTIES would be split into separate arguments.
function(veltrano_use_pulse_server target)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_pulse_server.cmake)
  file(WRITE ${script}
       "if(${target}_TESTS)\n"
       "  set_tests_properties(\${${target}_TESTS} PROPERTIES FIXTURES_REQUIRED pulse_server\n"
       "    RESOURCE_LOCK pulse_server ENVIRONMENT [==[${VELTRANO_PULSE_ENV}]==])\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
