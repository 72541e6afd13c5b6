# SPDX-License-Identifier: GPL-3.0-or-later
# Read by ctest after the list of core tests that gtest_discover_tests wrote:
# those that start sound or JACK servers or play through a sound output in
# real time are `servers`, the others `unit`.
#
# JACK's servers and clients of one user share one registry in /dev/shm: two
# private servers at once break each other's start, and a server a test
# freezes may hold up every client, the program's own look for JACK ports at its
# start among them. The tests that start a JACK server and those that start
# the program take the `jack` lock, so none of them runs beside another.
foreach(test IN LISTS tangrel_core_tests_TESTS)
  if(test MATCHES "^core\\.JackPorts\\.")
    set_tests_properties("${test}" PROPERTIES LABELS servers RESOURCE_LOCK jack)
  elseif(test MATCHES "^core\\.(AudioPath|PipeWireTest|BuiltInSynth)\\.")
    set_tests_properties("${test}" PROPERTIES LABELS servers)
  else()
    set_tests_properties("${test}" PROPERTIES LABELS unit)
  endif()
endforeach()
