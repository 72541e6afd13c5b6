# SPDX-License-Identifier: GPL-3.0-or-later
# Read by ctest after the list of core tests that gtest_discover_tests wrote:
# those that start sound or JACK servers or play through a sound output in
# real time are `servers`, the others `unit`.
foreach(test IN LISTS tangrel_core_tests_TESTS)
  if(test MATCHES "^core\\.(AudioPath|PipeWireTest|JackPorts|BuiltInSynth)\\.")
    set_tests_properties("${test}" PROPERTIES LABELS servers)
  else()
    set_tests_properties("${test}" PROPERTIES LABELS unit)
  endif()
endforeach()
