#!/usr/bin/env bash
# Regenerates the dialog's artwork (resources/artwork) and the dialog template's control
# lines (resources/dialog_controls.rc) with FreeType and the DejaVu fonts. The output is
# committed; run this after changing the generator or the control table.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="${1:-$root/build/artwork-tool}"
mkdir -p "$out" "$root/resources/artwork"
g++ -std=c++17 -O2 -Wall -Wextra -Werror -I"$root" $(pkg-config --cflags freetype2) \
    "$root/tools/artwork/make_artwork.cpp" "$root/ui/control_model.cpp" "$root/host/setting_table.cpp" \
    $(pkg-config --libs freetype2) -o "$out/make_artwork"
fonts=/usr/share/fonts/truetype/dejavu
"$out/make_artwork" "$root/resources/artwork" "$root/resources/dialog_controls.rc" \
    "$fonts/DejaVuSans.ttf" "$fonts/DejaVuSans-Bold.ttf"
echo "artwork written to $root/resources/artwork"
