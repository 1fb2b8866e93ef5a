#!/usr/bin/env bash
# Sets up, builds and starts Talvex.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# Only the program: the tests are built by scripts/test.sh.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target talvex >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show Talvex on; run it under a virtual one with: xvfb-run -a scripts/run.sh" >&2
    exit 1
fi
exec build/talvex
