#!/usr/bin/env bash
# `radiantix.exe dialog` under Wine: Cancel writes nothing and exits with status 3; OK
# renders with the settings the dialog was opened with, the same bytes as `render`; with no
# settings given, the dialog opens on the last accepted ones, as in a paint program.
# Arguments: wine64 radiantix.exe Radiantix.8bf dialog_window_driver.exe work-folder
set -euo pipefail
wine=$1 exe=$2 module=$3 driver=$4 work=$5
rm -rf "$work" && mkdir -p "$work"
export RADIANTIX_CACHE_DIR="$work/cache"
"$wine" "$exe" render -q --module "$module" --set sunRadius=30 -o "$work/sky.png"

"$wine" "$driver" cancel & driver_pid=$!
status=0
"$wine" "$exe" dialog -q --module "$module" "$work/sky.png" --set sunRadius=30 \
  -o "$work/cancelled.png" 2> "$work/cancel.err" || status=$?
wait "$driver_pid"
[[ $status -eq 3 ]] || { echo "Cancel: exit status $status, expected 3"; cat "$work/cancel.err"; exit 1; }
grep -q cancelled "$work/cancel.err" || { echo "Cancel: no message"; exit 1; }
[[ ! -e "$work/cancelled.png" ]] || { echo "Cancel wrote an output file"; exit 1; }
[[ ! -e "$work/cache/Radiantix cached settings 2" ]] || { echo "Cancel wrote the cache"; exit 1; }

"$wine" "$driver" ok & driver_pid=$!
"$wine" "$exe" dialog -q --module "$module" "$work/sky.png" --set sunRadius=30 -o "$work/accepted.png"
wait "$driver_pid"
"$wine" "$exe" render -q --module "$module" "$work/sky.png" --set sunRadius=30 -o "$work/rendered.png"
cmp "$work/accepted.png" "$work/rendered.png" || { echo "OK did not render the dialog's settings"; exit 1; }
[[ -s "$work/cache/Radiantix cached settings 2" ]] || { echo "OK did not write the cache"; exit 1; }

"$wine" "$driver" ok & driver_pid=$!
"$wine" "$exe" dialog -q --module "$module" "$work/sky.png" -o "$work/resumed.png"
wait "$driver_pid"
cmp "$work/resumed.png" "$work/rendered.png" ||
  { echo "without settings the dialog did not start from the last accepted ones"; exit 1; }
echo "dialog command: Cancel, OK and a start from the last accepted settings behave"
