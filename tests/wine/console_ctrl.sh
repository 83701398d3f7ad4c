#!/usr/bin/env bash
# The console Ctrl-C handler of radiantix.exe under Wine (console_ctrl_test.cpp): while the
# run polls for it or writes the output, Ctrl-C only sets the flag; otherwise it ends the
# process with status 130 and one line. Skipped (77) where Wine cannot send the Ctrl-C.
# Arguments: wine64 radiantix_console_ctrl_test.exe work-folder
set -uo pipefail
wine=$1 exe=$2 work=$3
failed=0 skipped=0
rm -rf "$work" && mkdir -p "$work" && echo old > "$work/out.png"
while read -r mode want message; do
  out=$("$wine" "$exe" "$mode" "$work" < /dev/null 2>&1 | tr -d '\r')
  status=${PIPESTATUS[0]}
  [[ $status -eq 77 ]] && { echo "$out"; skipped=1; break; }
  if [[ $status -ne $want || $out != *"$message"* ]]; then
    echo "$mode: status $status (want $want), said: $out"
    failed=1
  fi
done <<'CASES'
stop   0   interrupted
render 0   render: flag set
write  0   write: flag set
idle   130 radiantix: interrupted; nothing written
CASES
# The writer stopped between two chunks: the old file stays and no temporary file is left.
files=$(ls -A "$work" | tr '\n' ' ')
[[ $files == "out.png " && $(cat "$work/out.png") == old ]] ||
  { echo "stopped writer: the folder holds: $files"; failed=1; }
((failed || skipped)) ||
  echo "console Ctrl-C: flag while polled or writing, status 130 otherwise; a stopped write cleans up"
exit $((failed ? 1 : skipped ? 77 : 0))
