#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in a
# Debug build under AddressSanitizer and UndefinedBehaviorSanitizer, and in
# an optimised Release build (a test that depends on the machine's speed
# fails there). Warnings are errors in both builds, and the formatting is
# checked against the pinned .clang-format when clang-format 14 is there.
# Extra arguments go to both ctest runs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

scripts/check-format.sh

sanitized=${KESTROVA_TEST_BUILD:-build-test}
cmake -S . -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_SANITIZE=ON -DKESTROVA_WERROR=ON >/dev/null
cmake --build "$sanitized" -j "$jobs"
(
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir "$sanitized" --output-on-failure -j "$jobs" "$@"
)

if [ "${KESTROVA_TEST_RELEASE:-1}" != 0 ]; then
  optimised=${KESTROVA_RELEASE_BUILD:-build-release}
  cmake -S . -B "$optimised" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTROVA_SANITIZE=OFF -DKESTROVA_WERROR=ON >/dev/null
  cmake --build "$optimised" -j "$jobs"
  ctest --test-dir "$optimised" --output-on-failure -j "$jobs" "$@"
fi
