#!/usr/bin/env bash
# The preset library is exactly what tools/make_presets.sh writes, and every file survives
# the text round trip: `preset show` prints every setting, and `preset write` of those
# lines gives the same 232 bytes.
# Usage: check_presets.sh RADIANTIX WORK_FOLDER
set -uo pipefail
radiantix=$1 work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "presets: $*" >&2; exit 1; }
[[ -x "$radiantix" ]] || fail "$radiantix is missing: build it first"
rm -rf "$work" && mkdir -p "$work/presets" || fail "cannot make $work"
export RADIANTIX_CACHE_DIR=$work/cache

RADIANTIX=$radiantix "$root/tools/make_presets.sh" "$work/presets" || fail "tools/make_presets.sh failed"
diff <(cd "$root/presets" && ls) <(cd "$work/presets" && ls) ||
  fail "presets/ and the files the script writes differ in names (run tools/make_presets.sh)"
n=0
for f in "$root"/presets/*.q4q; do
  name=$(basename "$f")
  cmp -s "$f" "$work/presets/$name" || fail "$name is not what tools/make_presets.sh writes"
  n=$((n + 1))
done
cmp -s "$root/presets/README.md" "$work/presets/README.md" || fail "presets/README.md is stale"
(( n >= 24 )) || fail "only $n presets, the library promises at least 24"

for f in "$root"/presets/*.q4q; do
  name=$(basename "$f")
  shown=$("$radiantix" preset show "$f") || fail "preset show $name failed"
  args=()
  while IFS= read -r line; do
    [[ $line == *=* ]] && args+=(--set "$line")
  done <<<"$shown"
  (( ${#args[@]} >= 40 )) || fail "preset show $name printed only ${#args[@]} settings"
  "$radiantix" preset write "$work/roundtrip.q4q" "${args[@]}" || fail "preset write of $name's settings failed"
  cmp -s "$f" "$work/roundtrip.q4q" || fail "$name does not read back to the same settings"
  "$radiantix" preset show --json "$f" | grep -q '"missing": \[\]' || fail "$name lacks settings"
done
echo "presets: $n files match tools/make_presets.sh and read back to the same settings"
