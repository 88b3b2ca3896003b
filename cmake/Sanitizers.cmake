# MIRTEX_SANITIZE builds everything, libraries, programs and tests alike, with
# AddressSanitizer and UndefinedBehaviorSanitizer. Any report ends the process
# with an error, so a test that triggers one fails.
option(MIRTEX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(MIRTEX_SANITIZE)
  set(MIRTEX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${MIRTEX_SANITIZER_FLAGS} -g1)
  add_link_options(${MIRTEX_SANITIZER_FLAGS})
endif()

# MIRTEX_FUZZ adds the libFuzzer targets (clang only); with MIRTEX_SANITIZE they
# also run as short smoke tests under ctest (label "fuzz").
option(MIRTEX_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(MIRTEX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES Clang)
    message(FATAL_ERROR "MIRTEX_FUZZ needs clang (configure with CXX=clang++)")
  endif()
  # Coverage feedback from every library the targets reach, not only their own files.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
