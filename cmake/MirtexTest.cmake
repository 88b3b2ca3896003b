# mirtex_add_test(NAME <name> SOURCES <files...> LIBS <libs...> [DISPLAY] [BUS] [TIMEOUT <s>])
#
# One GoogleTest executable, discovered at test time. Tests run headless with the
# offscreen platform unless DISPLAY is given: then they use the X server that the
# test script started (Xvfb). BUS marks tests that need the private session bus
# (the test script provides DBUS_SESSION_BUS_ADDRESS).
function(mirtex_add_test)
  cmake_parse_arguments(T "DISPLAY;BUS" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${T_NAME} PRIVATE
    MIRTEX_BIN_DIR="${MIRTEX_BIN_DIR}"
    MIRTEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(props TIMEOUT ${T_TIMEOUT})
  if(T_DISPLAY OR T_BUS)
    # One X server, one window manager and one bus are shared: such tests run one at a time.
    list(APPEND props RESOURCE_LOCK desktop)
  else()
    list(APPEND props ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${props})
endfunction()
