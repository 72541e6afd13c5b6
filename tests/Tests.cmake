# SPDX-License-Identifier: GPL-3.0-or-later
# The tests and the benchmarks, with what only they need: GoogleTest, Qt Test,
# XTEST for the key-to-sound benchmark, and the Wayland test keyboard.
enable_testing()
find_package(GTest REQUIRED)
# Every test runs in a home of its own (HOME and the XDG folders in a fresh
# temporary folder): the test programs through the emulator prefix, which
# add_test and gtest_discover_tests put before every target they run, the
# scripts by naming it first.
set(TANGREL_OWN_HOME sh ${PROJECT_SOURCE_DIR}/tests/support/own_home.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TANGREL_OWN_HOME})
add_test(NAME translations COMMAND ${TANGREL_OWN_HOME} python3 ${PROJECT_SOURCE_DIR}/tests/i18n/check_translations.py
  $<TARGET_FILE:Qt6::lupdate> ${PROJECT_SOURCE_DIR} ${TANGREL_TEXT_FOLDERS})
include(GoogleTest)
# Every test case is its own ctest test with a short timeout: a hang costs
# seconds and a failure names its case. Labels say what a test needs:
# `unit` nothing but the processor (`ctest -L unit`), `e2e` a display or a
# compositor, `servers` sound or JACK servers or a sound output in real time
# (tests/TestLabels.cmake picks those among the core tests), `install` the
# installed tree and the packages.
set(TANGREL_TEST_TIMEOUT 60)

# The capture device stands in for MIDI hardware in tests and benchmarks.
add_library(tangrel_capture STATIC tests/support/CaptureDevice.cpp)
target_link_libraries(tangrel_capture PUBLIC tangrel_core)

file(GLOB CORE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/core/*.cpp)
add_executable(tangrel_core_tests ${CORE_TEST_SOURCES})
target_link_libraries(tangrel_core_tests PRIVATE tangrel_core tangrel_capture GTest::gtest GTest::gtest_main)
target_compile_definitions(tangrel_core_tests PRIVATE
  TANGREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  TANGREL_TOOL_PATH="$<TARGET_FILE:tangrel-tool>")
add_dependencies(tangrel_core_tests tangrel-tool)
gtest_discover_tests(tangrel_core_tests TEST_PREFIX "core." DISCOVERY_TIMEOUT 30
  PROPERTIES TIMEOUT ${TANGREL_TEST_TIMEOUT})
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${PROJECT_SOURCE_DIR}/tests/TestLabels.cmake)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/bench_*.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  if(NOT name MATCHES "^bench_ui")
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tangrel_core tangrel_capture)
  endif()
endforeach()

# The layers of the core include only downwards, as they link.
add_test(NAME layers COMMAND ${TANGREL_OWN_HOME} python3 ${PROJECT_SOURCE_DIR}/tests/install/check_layers.py
  ${PROJECT_BINARY_DIR}/layers.txt ${PROJECT_SOURCE_DIR})
add_test(NAME layers.climbing COMMAND ${TANGREL_OWN_HOME} python3 ${PROJECT_SOURCE_DIR}/tests/install/check_layers.py
  ${PROJECT_BINARY_DIR}/layers.txt ${PROJECT_SOURCE_DIR}/tests/install/climbing)
set_tests_properties(layers.climbing PROPERTIES WILL_FAIL TRUE)
set_tests_properties(translations layers layers.climbing PROPERTIES LABELS unit)
# The player's package list holds what the build needs without its tests.
add_test(NAME packages COMMAND ${TANGREL_OWN_HOME} python3 ${PROJECT_SOURCE_DIR}/tests/install/check_packages.py
  ${PROJECT_SOURCE_DIR})

add_test(NAME install COMMAND ${TANGREL_OWN_HOME} bash ${PROJECT_SOURCE_DIR}/tests/install/test_install.sh
  ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${TANGREL_APP_ID})
set_tests_properties(install PROPERTIES TIMEOUT 300)
add_test(NAME licence COMMAND ${TANGREL_OWN_HOME} bash ${PROJECT_SOURCE_DIR}/tests/install/test_licence.sh
  ${PROJECT_SOURCE_DIR})
add_test(NAME trixie_sources COMMAND ${TANGREL_OWN_HOME} bash ${PROJECT_SOURCE_DIR}/tests/install/test_trixie_sources.sh
  ${PROJECT_SOURCE_DIR})
set_tests_properties(licence trixie_sources PROPERTIES LABELS unit)
set_tests_properties(packages install PROPERTIES LABELS install)

if(TARGET tangrel)
  add_test(NAME deb COMMAND ${TANGREL_OWN_HOME} bash ${PROJECT_SOURCE_DIR}/tests/install/test_deb.sh
    ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${TANGREL_APP_ID})
  set_tests_properties(deb PROPERTIES TIMEOUT 600 LABELS install)
endif()

if(TANGREL_BUILD_UI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  file(GLOB UI_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/ui/*.cpp)
  add_executable(tangrel_ui_tests ${UI_TEST_SOURCES})
  target_link_libraries(tangrel_ui_tests PRIVATE tangrel_ui tangrel_capture Qt6::Test GTest::gtest)
  target_compile_definitions(tangrel_ui_tests PRIVATE TANGREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(tangrel_ui_tests TEST_PREFIX "ui." DISCOVERY_TIMEOUT 30
    PROPERTIES TIMEOUT ${TANGREL_TEST_TIMEOUT} ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS unit)

  add_executable(tangrel_help_tests tests/help/test_help_pages.cpp)
  target_link_libraries(tangrel_help_tests PRIVATE tangrel_ui GTest::gtest)
  add_test(NAME help COMMAND tangrel_help_tests)
  set_tests_properties(help PROPERTIES TIMEOUT ${TANGREL_TEST_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS unit)

  file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/*.cpp)
  add_executable(tangrel_e2e_tests ${E2E_TEST_SOURCES})
  target_include_directories(tangrel_e2e_tests PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(tangrel_e2e_tests PRIVATE tangrel_core GTest::gtest GTest::gtest_main)
  target_compile_definitions(tangrel_e2e_tests PRIVATE TANGREL_APP_PATH="$<TARGET_FILE:tangrel>"
    TANGREL_VERSION="${PROJECT_VERSION}")
  add_dependencies(tangrel_e2e_tests tangrel)
  # Each e2e test starts the program, which looks for JACK's ports as it
  # lists its devices: it takes the `jack` lock (tests/TestLabels.cmake says why).
  gtest_discover_tests(tangrel_e2e_tests TEST_PREFIX "e2e." DISCOVERY_TIMEOUT 30
    PROPERTIES TIMEOUT 120 LABELS e2e RESOURCE_LOCK jack)

  # The accessibility tree as screen readers see it, read with the system's
  # pyatspi on a D-Bus session of the test's own.
  find_program(TANGREL_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(TANGREL_DBUS_RUN_SESSION dbus-run-session)
  add_test(NAME e2e.accessibility COMMAND ${TANGREL_OWN_HOME} ${TANGREL_DBUS_RUN_SESSION} --
    ${TANGREL_SYSTEM_PYTHON} ${PROJECT_SOURCE_DIR}/tests/e2e/test_accessibility_under_x.py
    $<TARGET_FILE:tangrel>)
  set_tests_properties(e2e.accessibility PROPERTIES TIMEOUT 120 LABELS e2e RESOURCE_LOCK jack)
  # A journal and a settings file in the home a test run starts from stay
  # untouched: a few tests that read or write a home, run through ctest.
  add_test(NAME e2e.own_home COMMAND ${TANGREL_OWN_HOME} bash
    ${PROJECT_SOURCE_DIR}/tests/e2e/test_own_home.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(e2e.own_home PROPERTIES TIMEOUT 300 LABELS e2e RESOURCE_LOCK jack)

  # The README, the man pages and the manual against the program's sources
  # and its --help.
  add_test(NAME documents COMMAND ${TANGREL_OWN_HOME} python3 ${PROJECT_SOURCE_DIR}/tests/docs/check_documents.py
    ${PROJECT_SOURCE_DIR} $<TARGET_FILE:tangrel>)
  set_tests_properties(documents PROPERTIES LABELS unit)
  # The keyboard the Wayland tests type on, where the Wayland client and
  # xkbcommon libraries are there; without it those tests skip.
  pkg_check_modules(WAYLAND_KEYBOARD IMPORTED_TARGET wayland-client xkbcommon)
  find_program(WAYLAND_SCANNER wayland-scanner)
  if(WAYLAND_KEYBOARD_FOUND AND WAYLAND_SCANNER)
    enable_language(C)
    set(protocol ${PROJECT_SOURCE_DIR}/tests/wayland/virtual-keyboard-unstable-v1.xml)
    set(generated ${PROJECT_BINARY_DIR}/wayland)
    add_custom_command(
      OUTPUT ${generated}/virtual-keyboard-unstable-v1-client-protocol.h
             ${generated}/virtual-keyboard-unstable-v1-protocol.c
      COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
      COMMAND ${WAYLAND_SCANNER} client-header ${protocol}
              ${generated}/virtual-keyboard-unstable-v1-client-protocol.h
      COMMAND ${WAYLAND_SCANNER} private-code ${protocol}
              ${generated}/virtual-keyboard-unstable-v1-protocol.c
      DEPENDS ${protocol} VERBATIM)
    add_executable(tangrel_virtual_keyboard tests/wayland/virtual_keyboard.c
      ${generated}/virtual-keyboard-unstable-v1-protocol.c
      ${generated}/virtual-keyboard-unstable-v1-client-protocol.h)
    target_include_directories(tangrel_virtual_keyboard PRIVATE ${generated})
    target_link_libraries(tangrel_virtual_keyboard PRIVATE PkgConfig::WAYLAND_KEYBOARD)
    # The keyboard runs as another user, where LeakSanitizer cannot trace it:
    # it is a test tool, built plain in every build.
    if(TANGREL_SANITIZE)
      target_compile_options(tangrel_virtual_keyboard PRIVATE -fno-sanitize=all)
      target_link_options(tangrel_virtual_keyboard PRIVATE -fno-sanitize=all)
    endif()
    add_dependencies(tangrel_e2e_tests tangrel_virtual_keyboard)
    target_compile_definitions(tangrel_e2e_tests PRIVATE
      TANGREL_VIRTUAL_KEYBOARD_PATH="$<TARGET_FILE:tangrel_virtual_keyboard>")
  else()
    target_compile_definitions(tangrel_e2e_tests PRIVATE TANGREL_VIRTUAL_KEYBOARD_PATH="")
  endif()

  file(GLOB UI_BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/bench_ui*.cpp)
  foreach(src ${UI_BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tangrel_ui tangrel_capture)
  endforeach()
  # Key to sound through a real X server: the presses go in through XTEST.
  pkg_check_modules(XTEST REQUIRED IMPORTED_TARGET xcb-xtest)
  target_link_libraries(bench_ui_key_to_sound PRIVATE PkgConfig::XTEST)
  target_compile_definitions(bench_ui_key_to_sound PRIVATE TANGREL_APP_PATH="$<TARGET_FILE:tangrel>")
  add_dependencies(bench_ui_key_to_sound tangrel)
endif()
