#!/usr/bin/env bash
# Runs tugworth-sim on one scenario and compares what it produced with what was expected:
#   scenario-check.sh SIM NAME.json NAME.log [NAME.state.json]
#   scenario-check.sh SIM NAME.json --error NAME.err
# The first compares standard output line by line and the final state as parsed JSON; the
# second expects a refusal: exit status 2, exactly the lines of NAME.err on standard error and
# nothing on standard output.
set -uo pipefail
sim=$1 scenario=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [[ $3 == --error ]]; then
  "$sim" "$scenario" >"$work/out" 2>"$work/err"
  status=$?
  [[ $status == 2 ]] || { echo "exit status $status, expected 2"; exit 1; }
  [[ ! -s $work/out ]] || { echo "a refused scenario wrote to standard output"; exit 1; }
  exec diff -u --label expected --label actual "$4" "$work/err"
fi

"$sim" "$scenario" --final-state "$work/state.json" >"$work/out" 2>"$work/err"
status=$?
[[ $status == 0 ]] || { echo "exit status $status, expected 0; standard error:"; cat "$work/err"; exit 1; }
diff -u --label "expected log" --label "actual log" "$3" "$work/out" || exit 1
[[ $# -lt 4 ]] || cmp -s "$4" "$work/state.json" && exit 0
exec python3 - "$4" "$work/state.json" <<'PY'
import difflib, json, sys

def same(a, b):  # as JSON sees it: true is not 1, 1 is 1.0
    if isinstance(a, dict):
        return isinstance(b, dict) and a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    if isinstance(a, list):
        return isinstance(b, list) and len(a) == len(b) and all(map(same, a, b))
    return (type(a) is bool) == (type(b) is bool) and a == b

expected, actual = (json.load(open(path, encoding="utf-8")) for path in sys.argv[1:])
if not same(expected, actual):
    show = lambda state: json.dumps(state, indent=1, sort_keys=True, ensure_ascii=False).splitlines()
    print("\n".join(difflib.unified_diff(show(expected), show(actual), "expected state",
                                         "actual state", lineterm="")))
    sys.exit(1)
PY
