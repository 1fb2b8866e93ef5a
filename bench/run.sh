#!/usr/bin/env bash
# Builds the program and the bare Qt baseline in release mode into build-bench/ and measures both under
# Xvfb. Options go to bench/bench.py, e.g. `bench/run.sh --minutes 1` for a quick run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
out=build-bench
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DTALVEX_BUILD_TESTS=OFF -DTALVEX_BUILD_TOOLS=OFF >/dev/null
cmake --build "$out" -j2 --target talvex
cmake -S bench -B "$out/baseline" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/baseline" -j2
exec python3 bench/bench.py --exe "$out/talvex" --baseline "$out/baseline/bare_window" \
    --out "$out/bench-results.md" "$@"
