#!/usr/bin/env bash
# Installs the build into a scratch prefix and renders a preset with the installed command,
# module and presets alone: the picture equals the gallery's, pixel for pixel.
# Usage: check_install.sh CMAKE BUILD_FOLDER WORK_FOLDER
set -uo pipefail
cmake=$1 build=$2 work=$3
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "install: $*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"
"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install failed"
for f in bin/radiantix lib/radiantix/radiantix.so share/radiantix/presets/README.md share/doc/radiantix/README.md; do
  [[ -f "$work/prefix/$f" ]] || fail "$f was not installed"
done
n=$(ls "$work"/prefix/share/radiantix/presets/*.q4q | wc -l)
[[ $n -eq $(ls "$root"/presets/*.q4q | wc -l) ]] || fail "$n presets installed"
export RADIANTIX_CACHE_DIR=$work/cache
"$work/prefix/bin/radiantix" about | grep -q "$work/prefix/bin/../lib/radiantix/radiantix.so" ||
  fail "the installed radiantix does not use the installed module"
"$work/prefix/bin/radiantix" render -q --preset rainbow-bow \
  -o "$work/rainbow-bow.png" || fail "the installed radiantix cannot render"
compare=$build/tests/cli/radiantix_golden_cases
[[ -x "$compare" ]] || fail "$compare is missing: build it first"
"$compare" --compare "$work/rainbow-bow.png" "$root/docs/gallery/rainbow-bow.png" ||
  fail "the installed render differs from docs/gallery/rainbow-bow.png"
echo "install: bin/radiantix, lib/radiantix/radiantix.so and $n presets work from $work/prefix"
