#!/usr/bin/env bash
# docs/gallery/ is exactly what tools/make_gallery.sh renders from presets/ with this build.
# Usage: check_gallery.sh RADIANTIX WORK_FOLDER
set -uo pipefail
radiantix=$1 work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "gallery: $*" >&2; exit 1; }
[[ -x "$radiantix" ]] || fail "$radiantix is missing: build it first"
rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"

RADIANTIX=$radiantix "$root/tools/make_gallery.sh" "$work" || fail "tools/make_gallery.sh failed"
diff <(cd "$root/docs/gallery" && ls) <(cd "$work" && ls) ||
  fail "docs/gallery/ and the pictures the script makes differ in names (run tools/make_gallery.sh)"
for f in "$work"/*; do
  name=$(basename "$f")
  cmp -s "$f" "$root/docs/gallery/$name" || fail "docs/gallery/$name differs from a fresh render"
done
for p in "$root"/presets/*.q4q; do
  [[ -f "$root/docs/gallery/$(basename "$p" .q4q).png" ]] || fail "no picture of $(basename "$p")"
done
echo "gallery: $(ls "$work"/*.png | wc -l) pictures re-created byte for byte"
