#!/usr/bin/env bash
# What `radiantix render` says when the module returns an error code: -128 and 1 are the
# module's codes like any other when no dialog ran, -108 is memory, and a Ctrl-C during the
# render wins over whatever the module then returns. Nothing is written in any case.
# Arguments: radiantix result_module.so work-folder
set -euo pipefail
exe=$1 module=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
failed=0
# code  raise-SIGINT  status  message
while read -r code raise want message; do
  out="$work/out_${code}_${raise}.png"
  status=0 vars=(RADIANTIX_TEST_RESULT=$code)
  [[ $raise == yes ]] && vars+=(RADIANTIX_TEST_RAISE=1)
  env "${vars[@]}" "$exe" render -q --module "$module" -o "$out" 2> "$work/err" || status=$?
  got=$(cat "$work/err")
  if [[ $status -ne $want || $got != "radiantix: $message" || -e $out ]]; then
    echo "code $code, SIGINT $raise: status $status (want $want), said \"$got\"," \
         "want \"radiantix: $message\"; output $( [[ -e $out ]] && echo written || echo absent)"
    failed=1
  fi
done <<'CASES'
-128 no  1   the module stopped with result code -128; nothing written
1    no  1   the module stopped with result code 1; nothing written
-108 no  1   not enough memory to render (the module's result code -108); nothing written
1    yes 130 interrupted; nothing written
-128 yes 130 interrupted; nothing written
0    yes 130 interrupted; nothing written
CASES
leftover=$(find "$work" -name 'out_*')
[[ -z $leftover ]] || { echo "files left behind: $leftover"; failed=1; }
[[ $failed -eq 0 ]] && echo "module result codes: every case reported as expected"
exit $failed
