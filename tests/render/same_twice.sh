#!/bin/bash
# dustlet-render: --help prints its usage and draws nothing, and two runs draw the same pictures.
set -u
render=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

usage=$("$render" --help) || { echo "--help failed"; exit 1; }
grep -q '^usage: dustlet-render' <<<"$usage" || { echo "--help printed no usage: $usage"; exit 1; }
if [ -n "$(ls -A)" ]; then echo "--help left files behind:"; ls -A; exit 1; fi
if "$render" --no-such-option >/dev/null 2>&1; then echo "an unknown option was accepted"; exit 1; fi
if [ -n "$(ls -A)" ]; then echo "an unknown option left files behind:"; ls -A; exit 1; fi

for run in a b; do
    "$render" "$run" >/dev/null 2>"$run.log" || { echo "run $run failed"; cat "$run.log"; exit 1; }
    if grep 'gave up waiting' "$run.log"; then exit 1; fi
done
count=$(ls a | wc -l)
[ "$count" -gt 50 ] || { echo "only $count pictures"; exit 1; }
status=0
for f in a/*.png; do
    name=$(basename "$f")
    cmp -s "$f" "b/$name" || { echo "differs between two runs: $name"; status=1; }
done
[ "$(ls b | wc -l)" -eq "$count" ] || { echo "the runs drew different sets of pictures"; status=1; }
exit $status
