#!/usr/bin/env bash
# Installs what the tests need, builds everything, and runs every test: the
# CTest suites, the sanitizer stage and the fuzz stage. Every stage runs even
# when an earlier one failed; the last line counts them all:
# "N passed, N failed, N skipped". Exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."

if [ "${HOSTWARDEN_SKIP_INSTALL:-}" != 1 ]; then
  bash scripts/install-deps.sh test || exit 1
fi

results=build/default/ctest-results.xml
sanitized=(build/asan/ctest-results.xml build/asan/unit-results.xml build/asan/posix-unit-results.xml)
fuzzed=build/fuzz/results.xml
rm -f "$results" "${sanitized[@]}" "$fuzzed"

cmake --preset default && cmake --build --preset default -j"$(nproc)"
built=$?
ctest_status=$built
if [ "$built" = 0 ]; then
  ctest --preset default -j"$(nproc)" --output-junit "$PWD/$results"
  ctest_status=$?
fi

# The unit and integration suites again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzz target for a bounded time
# (HOSTWARDEN_FUZZ_SECONDS, 60 by default); a finding fails the run.
bash scripts/test-sanitized.sh
sanitized_status=$?
bash fuzz/run --time "${HOSTWARDEN_FUZZ_SECONDS:-60}" --junit "$fuzzed"
fuzz_status=$?

# A line for each group of skipped tests and why, then the count of all.
python3 scripts/skipped-tests.py "$results" "${sanitized[0]}"
python3 scripts/test-summary.py --stage ctest "$ctest_status" "$results" \
  --stage sanitized "$sanitized_status" "${sanitized[@]}" --stage fuzz "$fuzz_status" "$fuzzed"
