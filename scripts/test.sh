#!/usr/bin/env bash
# Installs what the tests need, builds everything, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${HOSTWARDEN_SKIP_INSTALL:-}" != 1 ]; then
  bash scripts/install-deps.sh test
fi

cmake --preset default
cmake --build --preset default -j"$(nproc)"
# Last of all, whatever failed: a line for each group of skipped tests and why.
results=build/default/ctest-results.xml
rm -f "$results"
trap 'python3 scripts/skipped-tests.py "$results"' EXIT
ctest --preset default -j"$(nproc)" --output-junit "$PWD/$results"

# The unit and integration suites again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzz target for a bounded time
# (HOSTWARDEN_FUZZ_SECONDS, 60 by default); a finding fails the run.
bash scripts/test-sanitized.sh
bash fuzz/run --time "${HOSTWARDEN_FUZZ_SECONDS:-60}"
