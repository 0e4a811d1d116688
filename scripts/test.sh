#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
# unit and scenario tests, the X11 and end-to-end tests on private virtual displays,
# and the unit and scenario tests again under the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
bash scripts/test-ratio.sh

echo "== debug build: every test"
cmake --preset debug >/dev/null
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs" --timeout 300

echo "== sanitizer build: unit and scenario tests"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset asan -j "$jobs" --timeout 300 -L 'unit|scenarios'

echo "== fuzz targets: a bounded run of each over its corpus"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz --timeout 300 -L fuzz
