#!/usr/bin/env bash
# The style gate, run before the tests: every tracked C++ file is formatted by .clang-format,
# and clang-tidy (.clang-tidy) finds nothing in the program's sources (src/, tools/).
# Needs a configured debug build for its compile database (configures one when missing).
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.h' ':!:tests/fuzz/corpus/*')

echo "== clang-format: ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

build=build/debug
if [ ! -f "$build/compile_commands.json" ]; then cmake --preset debug >/dev/null; fi
# Sources that include generated headers (Qt's moc and ui, the Wayland protocol code) need
# them before clang-tidy can read them: building the program makes them all.
cmake --build "$build" --target tugworth >/dev/null
command -v run-clang-tidy >/dev/null || { echo "run-clang-tidy is missing" >&2; exit 1; }

echo "== clang-tidy: src/ and tools/"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# GCC-only warning flags in the compile database are unknown to clang: not a finding.
run-clang-tidy -quiet -j "$(nproc)" -p "$build" -extra-arg=-Wno-unknown-warning-option \
  "$PWD/(src|tools)/" >"$log" 2>&1 || true

# run-clang-tidy always colours its output: strip the colours before reading it.
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '(error|warning): ' | sort -u || true)
if [ -n "$findings" ]; then
  echo "$findings"
  echo "clang-tidy: $(echo "$findings" | wc -l) finding(s)"
  exit 1
fi
echo "style: clean"
