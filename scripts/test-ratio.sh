#!/usr/bin/env bash
# Prints the lines of test code (C++, Python, shell and JavaScript under tests/, scenario data and
# fuzz corpora aside) against the lines of program code (everything under src/ and tools/).
# With a ceiling argument, fails when the ratio is above it: scripts/test-ratio.sh 0.40
set -euo pipefail
cd "$(dirname "$0")/.."

count() { xargs -0 -r cat | wc -l; }
tests=$(find tests -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' \
  -o -name '*.js' \) -not -path '*/corpus/*' -print0 | count)
program=$(find src tools -type f -print0 | count)
ratio=$(awk -v t="$tests" -v p="$program" 'BEGIN { printf "%.2f", t / p }')
echo "test code: $tests lines, program code: $program lines, ratio $ratio"
if [[ $# -gt 0 ]] && awk -v r="$ratio" -v c="$1" 'BEGIN { exit !(r > c) }'; then
  echo "test code is over $1 of the program code" >&2
  exit 1
fi
