#!/usr/bin/env bash
# Renders every preset of presets/ onto the built-in sky with `radiantix render` and writes
# docs/gallery/NAME.png plus docs/gallery/README.md (the pictures with their descriptions,
# in the order of presets/README.md), then a row of presets onto the photograph
# docs/photos/dune.jpg as docs/gallery/photo-NAME.png. The same build gives the same bytes
# every time.
#
#   tools/make_gallery.sh [OUT_DIR]     (default: docs/gallery/)
#   RADIANTIX=path/to/radiantix tools/make_gallery.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
radiantix=${RADIANTIX:-$root/build/native/app/radiantix}
presets=$root/presets
out=${1:-$root/docs/gallery}
mkdir -p "$out"
# The renders take their settings from the preset alone, never from a cached last run.
RADIANTIX_CACHE_DIR=$(mktemp -d)
export RADIANTIX_CACHE_DIR
trap 'rm -rf "$RADIANTIX_CACHE_DIR"' EXIT

# "| `name` | description |" rows of the preset index, in library order.
mapfile -t rows < <(grep -E '^\| `[a-z0-9-]+` \|' "$presets/README.md")
[[ ${#rows[@]} -gt 0 ]] || { echo "make_gallery: no presets listed in $presets/README.md" >&2; exit 1; }

{
    echo "# Gallery"
    echo
    echo "Every preset of \`presets/\` rendered onto the built-in sky (1200 x 800) by"
    echo "\`radiantix render --preset presets/NAME.q4q -o NAME.png\`, the sun in the middle."
    echo "Made by \`tools/make_gallery.sh\`; do not edit the pictures by hand."
    echo
} >"$out/README.md"

for row in "${rows[@]}"; do
    name=$(sed -E 's/^\| `([a-z0-9-]+)` \|.*/\1/' <<<"$row")
    description=$(sed -E 's/^\| `[a-z0-9-]+` \| (.*) \|$/\1/' <<<"$row")
    "$radiantix" render -q --preset "$presets/$name.q4q" -o "$out/$name.png"
    printf '## %s\n\n%s\n\n![%s](%s.png)\n\n' "$name" "$description" "$name" "$name" >>"$out/README.md"
done

# One row of presets on a photograph, the sun in its sky.
photo=$root/docs/photos/dune.jpg
on_photo=(god-rays pale-moon solarised spotlight)
center=420,110
{
    echo "## On a photograph"
    echo
    echo "Four presets on \`docs/photos/dune.jpg\` (840 x 525; photograph by Marco Cogoni and Hylke Bons,"
    echo "GPL-2+, see \`THIRD-PARTY.md\`), by \`radiantix render docs/photos/dune.jpg --center $center"
    echo "--preset presets/NAME.q4q -o photo-NAME.png\`."
    echo
    printf '|'; printf ' %s |' "${on_photo[@]}"; echo
    printf '|'; printf -- '---|%.0s' "${on_photo[@]}"; echo
    printf '|'
} >>"$out/README.md"
for name in "${on_photo[@]}"; do
    "$radiantix" render -q "$photo" --center "$center" --preset "$presets/$name.q4q" -o "$out/photo-$name.png"
    printf ' ![%s](photo-%s.png) |' "$name" "$name" >>"$out/README.md"
done
echo >>"$out/README.md"
