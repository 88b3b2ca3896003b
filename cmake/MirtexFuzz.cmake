# mirtex_add_fuzzer(NAME <name> SOURCES <files...> LIBS <libs...>)
#
# One libFuzzer program fuzz_<name>. Its seed inputs are in tests/fuzz/seeds/<name>/,
# its dictionary, when there is one, is tests/fuzz/dict/<name>.dict. Registered as
# the ctest test fuzz_<name>, which fuzzes for MIRTEX_FUZZ_SECONDS (default 30).
function(mirtex_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  set(target fuzz_${F_NAME})
  add_executable(${target} ${F_SOURCES})
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${target} PRIVATE ${F_LIBS})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_test(NAME ${target}
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/fuzz/run-fuzzer.sh $<TARGET_FILE:${target}>
            ${CMAKE_SOURCE_DIR}/tests/fuzz ${F_NAME} ${CMAKE_BINARY_DIR}/fuzz/work)
  set_tests_properties(${target} PROPERTIES LABELS fuzz TIMEOUT 900
    ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
