# Test entries. Every test program runs under Wine through tools/lane.sh, in
# one of the lanes that ./test.sh sets up (its own Wine prefix and X server
# each, so two entries run side by side without sharing a wineserver, a
# registry or a display). Without lanes (a plain ctest in the build folder)
# the entry runs in the WINEPREFIX and DISPLAY of the caller.
set(WU_LANE_RUNNER ${PROJECT_SOURCE_DIR}/tools/lane.sh)
set(WU_LANES_DIR ${CMAKE_BINARY_DIR}/lanes)

# wu_lane_test(<name> <timeout seconds> <target> [args...]): a ctest entry
# that runs the program of <target> with args in a lane. The time-out is
# about three times the entry's normal time, so a hang costs minutes.
# The same third of it is the entry's cost, so that on a clean clone (no
# timings of an earlier run) the long entries start first and the lanes end
# together.
function(wu_lane_test name timeout target)
  add_test(NAME ${name} COMMAND ${WU_LANE_RUNNER} ${WU_LANES_DIR} $<TARGET_FILE:${target}> ${ARGN})
  math(EXPR cost "${timeout} / 3")
  set_tests_properties(${name} PROPERTIES
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    TIMEOUT ${timeout}
    COST ${cost}
    RESOURCE_GROUPS "lanes:1")
endfunction()
