#!/usr/bin/env bash
# The checked build: everything built by Clang with AddressSanitizer, UndefinedBehaviorSanitizer
# and warnings as errors in build-asan/, the whole test suite run there (end-to-end included),
# then each fuzz target for a while. Any sanitizer report fails the test that caused it.
# Usage: tools/checked-build.sh [FUZZ_SECONDS_PER_TARGET (default 60; 0 skips fuzzing)]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-60}

tools/ensure-packages.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDISCSHELF_SANITIZE=ON -DDISCSHELF_FUZZ=ON -DDISCSHELF_WERROR=ON >/dev/null
cmake --build build-asan -j"$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$top/tests/sanitize/lsan.supp:print_suppressions=0
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-asan --output-on-failure

[ "$seconds" = 0 ] || tools/fuzz.sh build-asan "$seconds"
