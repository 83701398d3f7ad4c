#!/usr/bin/env bash
# Unpacks the Windows release zip and uses it as a user would: radiantix.exe renders a
# preset from the zip under Wine with the Radiantix.8bf beside it. The picture must equal
# the gallery's picture of that preset pixel for pixel (the gallery comes from the native
# build, and every build paints the same pixels; the PNG encoders differ), compared by the
# native build's radiantix_golden_cases (RADIANTIX_NATIVE_BUILD names that build). Given an
# x86 radiantix.exe, that program takes the place of the zip's and must find and run
# Radiantix32.8bf the same way.
# Usage: check_package.sh WINE64 CMAKE ZIP WORK_FOLDER [X86_RADIANTIX_EXE]
set -uo pipefail
wine=$1 cmake=$2 zip=$3 work=$4 exe32=${5:-}
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "package: $*" >&2; exit 1; }
[[ -x "$wine" ]] || command -v "$wine" >/dev/null 2>&1 ||
  fail "wine64 not found ($wine): install the wine64 package"
[[ -f "$zip" ]] || fail "$zip is missing: build the package target of the x64 build"
zip=$(realpath "$zip")
export WINEDEBUG=${WINEDEBUG:--all}

rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"
(cd "$work" && "$cmake" -E tar xf "$zip") || fail "cannot unpack $zip"
dirs=("$work"/Radiantix-*-windows)
[[ ${#dirs[@]} -eq 1 && -d ${dirs[0]} ]] || fail "the zip has no single Radiantix-*-windows folder"
pkg=${dirs[0]}

# PE machine of a file: 8664 (x64) or 014c (x86).
machine() {
  local off
  off=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((off + 4)) -N2 "$1" | tr -d ' '
}
for f in radiantix.exe Radiantix.8bf Radiantix32.8bf INSTALL.txt LICENSE THIRD-PARTY.md presets/README.md; do
  [[ -s "$pkg/$f" ]] || fail "$f is missing from the zip"
done
[[ $(machine "$pkg/Radiantix.8bf") == 8664 ]] || fail "Radiantix.8bf is not an x64 module"
[[ $(machine "$pkg/radiantix.exe") == 8664 ]] || fail "radiantix.exe is not an x64 program"
[[ $(machine "$pkg/Radiantix32.8bf") == 014c ]] || fail "Radiantix32.8bf is not an x86 module"
n=0
for p in "$root"/presets/*.q4q; do
  name=$(basename "$p")
  cmp -s "$p" "$pkg/presets/$name" || fail "presets/$name is missing or differs in the zip"
  n=$((n + 1))
done
(( n >= 24 )) || fail "only $n presets"
[[ $(ls "$pkg"/presets/*.q4q | wc -l) -eq $n ]] || fail "the zip holds presets the library does not"

module=Radiantix.8bf
if [[ -n $exe32 ]]; then
  [[ $(machine "$exe32") == 014c ]] || fail "$exe32 is not an x86 program"
  cp "$exe32" "$pkg/radiantix.exe" || fail "cannot copy $exe32"
  module=Radiantix32.8bf
fi

# Run from the unpacked folder, with its own module and a preset from the zip, the cache
# kept out of the way.
cd "$pkg" || exit 1
export RADIANTIX_CACHE_DIR='C:\radiantix-package-check'
about=$("$wine" radiantix.exe about 2>&1) || fail "radiantix.exe about failed: $about"
grep -qi "$module" <<<"$about" || fail "radiantix.exe does not find the $module beside it: $about"
preset=eclipse-corona
"$wine" radiantix.exe render -q --preset "presets\\$preset.q4q" -o "$preset.png" ||
  fail "radiantix.exe render --preset presets\\$preset.q4q failed"
[[ -s "$preset.png" ]] || fail "radiantix.exe wrote no picture"
compare=${RADIANTIX_NATIVE_BUILD:-}/tests/cli/radiantix_golden_cases
[[ -x "$compare" ]] || fail "$compare is missing: set RADIANTIX_NATIVE_BUILD to a native build"
"$compare" --compare "$preset.png" "$root/docs/gallery/$preset.png" ||
  fail "the picture from the zip differs from docs/gallery/$preset.png"
"$wine" radiantix.exe preset show "presets\\$preset.q4q" | tr -d '\r' | grep -q '^lightingMode=3$' ||
  fail "radiantix.exe preset show does not read the zip's preset"
echo "package: $(basename "$zip") unpacks; radiantix.exe with $module renders presets\\$preset.q4q under Wine as the gallery shows it"
