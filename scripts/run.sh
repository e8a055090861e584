#!/usr/bin/env bash
# Builds Hostwarden and runs it: the window when a display is there, the
# report otherwise. Arguments go to the program (e.g. -Q, --report --json).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${HOSTWARDEN_SKIP_INSTALL:-}" != 1 ]; then
  bash scripts/install-deps.sh run
fi

cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"

program=build/release/src/platform/posix/hostwarden
if [ $# -gt 0 ]; then
  exec "$program" "$@"
elif [ -n "${DISPLAY:-}" ]; then
  exec "$program"
else
  exec "$program" --report
fi
