#!/usr/bin/env bash
# Sets up, builds and runs every test: the format check, the unit, widget and end-to-end tests, then the
# unit and widget tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and at last the
# libFuzzer targets of the rules, each for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh

scripts/build.sh build
ctest --test-dir build --output-on-failure

scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTALVEX_SANITIZE=ON -DTALVEX_BUILD_TOOLS=OFF
ASAN_OPTIONS=detect_stack_use_after_return=1:strict_init_order=1 \
    ctest --test-dir build-asan --output-on-failure -L 'unit|widgets'

scripts/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DTALVEX_FUZZ=ON
ctest --test-dir build-fuzz --output-on-failure -L fuzz
