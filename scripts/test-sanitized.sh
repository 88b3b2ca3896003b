#!/bin/sh
# Builds the whole project and its tests a second time with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang), runs the suite headless and each fuzz target
# for a short while. Any sanitizer report, from a test or from a program a test
# started (the host, MIRTEX), fails the run.
# MIRTEX_FUZZ_SECONDS sets the time per fuzz target (default 30).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Release \
  -DMIRTEX_SANITIZE=ON -DMIRTEX_FUZZ=ON -DMIRTEX_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"

. scripts/desktop.sh
MIRTEX_FORCE_XVFB=1 mirtex_start_desktop
reports="$root/build-asan/sanitizer-reports"
rm -rf "$reports"; mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:abort_on_error=0:detect_odr_violation=0"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
# The OCR engine's accuracy tests read fewer images here: the engine is slower instrumented.
export MIRTEX_TEST_IMAGE_SHARE=4

status=0
ctest --test-dir build-asan --output-on-failure -j2 || status=$?
if [ -n "$(ls -A "$reports")" ]; then
  echo "Sanitizer reports:"
  for f in "$reports"/*; do echo "== $f"; cat "$f"; done
  status=1
fi
exit $status
