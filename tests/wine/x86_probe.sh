#!/usr/bin/env bash
# Runs the 32-bit probe once under wine64 and writes what it found ("runs" or "none") for
# the x86 tests to read. Missing 32-bit Wine DLLs are a set-up fault and fail here: only a
# machine that has them and still cannot start the probe counts as running no 32-bit code.
# Usage: x86_probe.sh WINE64 PROBE_EXE RESULT_FILE
set -uo pipefail
wine=$1 probe=$2 result=$3
rm -f "$result"
dlls=/usr/lib/x86_64-linux-gnu/wine/i386-windows
[[ -f $dlls/kernel32.dll ]] ||
  { echo "x86 probe: Wine's 32-bit DLLs are missing in $dlls: run tools/setup.sh" >&2; exit 1; }
out=$(timeout 120 "$wine" "$probe" 2>&1)
status=$?
if [[ $status -eq 0 && $out == *"32-bit code runs"* ]]; then
  echo runs > "$result"
  echo "x86 probe: this machine runs 32-bit Windows programs; the x86 tests run"
else
  echo none > "$result"
  echo "x86 tests skipped: this machine runs no 32-bit code (probe exit $status: ${out//$'\n'/ })"
fi
