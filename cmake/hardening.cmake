# Build switches for checked builds: warnings as errors, AddressSanitizer with
# UndefinedBehaviorSanitizer, and the libFuzzer targets (Clang only). Included before any target
# so that every program and library of the project is built the same way.
option(DISCSHELF_WERROR "Treat compiler warnings as errors" OFF)
option(DISCSHELF_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(DISCSHELF_FUZZ "Build the libFuzzer targets under tests/fuzz (needs Clang)" OFF)

if(DISCSHELF_WERROR)
  add_compile_options(-Werror)
endif()

if(DISCSHELF_SANITIZE)
  # Any undefined behaviour ends the program, so a test cannot pass over it with a message.
  set(_sanitize -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  add_compile_options(${_sanitize})
  add_link_options(${_sanitize})
endif()

if(DISCSHELF_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "DISCSHELF_FUZZ needs Clang's libFuzzer: configure with CXX=clang++.")
  endif()
  # Coverage for the fuzzers' guidance in the code under test; the fuzz targets alone get the
  # libFuzzer main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
