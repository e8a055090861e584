#!/usr/bin/env bash
# Installs what the tests need, builds everything, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${HOSTWARDEN_SKIP_INSTALL:-}" != 1 ]; then
  bash scripts/install-deps.sh
fi

cmake --preset default
cmake --build --preset default -j"$(nproc)"
ctest --preset default -j"$(nproc)"
