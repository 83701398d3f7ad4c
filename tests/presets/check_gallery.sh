#!/usr/bin/env bash
# docs/gallery/ is what tools/make_gallery.sh renders from presets/ with this build: the
# same pictures pixel for pixel (compared by COMPARE A B, which exits 0 when they match;
# PNG encoders differ between builds) and the same README.md.
# Usage: check_gallery.sh RADIANTIX WORK_FOLDER COMPARE...
set -uo pipefail
radiantix=$1 work=$2
shift 2
compare=("$@")
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "gallery: $*" >&2; exit 1; }
[[ -x "$radiantix" ]] || fail "$radiantix is missing: build it first"
rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"

RADIANTIX=$radiantix "$root/tools/make_gallery.sh" "$work" || fail "tools/make_gallery.sh failed"
diff <(cd "$root/docs/gallery" && ls) <(cd "$work" && ls) ||
  fail "docs/gallery/ and the pictures the script makes differ in names (run tools/make_gallery.sh)"
cmp -s "$work/README.md" "$root/docs/gallery/README.md" || fail "docs/gallery/README.md is stale"
for f in "$work"/*.png; do
  name=$(basename "$f")
  "${compare[@]}" "$f" "$root/docs/gallery/$name" || fail "docs/gallery/$name differs from a fresh render"
done
for p in "$root"/presets/*.q4q; do
  [[ -f "$root/docs/gallery/$(basename "$p" .q4q).png" ]] || fail "no picture of $(basename "$p")"
done
echo "gallery: $(ls "$work"/*.png | wc -l) pictures re-created pixel for pixel"
