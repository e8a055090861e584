#!/usr/bin/env bash
# The unit and integration suites once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (the asan preset, build/asan): any report of
# either ends its test with a failure. The window and Wine end-to-end suites
# run in the normal build only.
set -euo pipefail
cd "$(dirname "$0")/.."

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

cmake --preset asan
# What the unit and integration suites run: their test programs, the program
# and its driver.
cmake --build --preset asan -j"$(nproc)" --target \
  hostwarden_unit_tests hostwarden_posix_unit_tests hostwarden_posix_tests os_driver hostwarden hostwarden_asan

echo "== unit suite (ASan+UBSan)"
# Each writes its results for the test command's summary, and both run even
# when the first fails.
status=0
build/asan/tests/hostwarden_unit_tests --gtest_brief=1 --gtest_output=xml:build/asan/unit-results.xml || status=1
build/asan/tests/hostwarden_posix_unit_tests --gtest_brief=1 --gtest_output=xml:build/asan/posix-unit-results.xml ||
  status=1
echo "== integration suite (ASan+UBSan)"
ctest --preset asan -j"$(nproc)" -R '^integration\.' --output-junit "$PWD/build/asan/ctest-results.xml" || status=1
exit $status
