#!/usr/bin/env bash
# Runs an x86 test where the probe found that this machine runs 32-bit code; elsewhere
# reports it skipped (77).
# Usage: x86_gate.sh PROBE_RESULT COMMAND [ARGS...]
result=$(cat "$1" 2>/dev/null)
[[ $result == runs ]] && exec "${@:2}"
[[ $result == none ]] && { echo "x86 tests skipped: this machine runs no 32-bit code"; exit 77; }
echo "x86 probe result missing ($1): the x86_probe test did not run" >&2
exit 1
