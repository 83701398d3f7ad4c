#!/usr/bin/env bash
# Renders the golden-image matrix with the native radiantix and with a Windows radiantix.exe
# and its module (x64 or x86) under Wine, and requires the same pixels.
# Usage: cross_build_compare.sh WINE64 RADIANTIX_EXE MODULE_8BF WORK_FOLDER
# RADIANTIX_NATIVE_BUILD names the native build folder (tools/test.sh sets it).
set -uo pipefail
wine=$1 exe=$2 module=$3 work=$4

fail() { echo "cross-build: $*" >&2; exit 1; }
[[ -x "$wine" ]] || command -v "$wine" >/dev/null 2>&1 ||
  fail "wine64 not found ($wine): install the wine64 package"
[[ -n "${RADIANTIX_NATIVE_BUILD:-}" ]] || fail "RADIANTIX_NATIVE_BUILD is not set (the native build folder)"
native=$(realpath "$RADIANTIX_NATIVE_BUILD")
cases_tool=$native/tests/cli/radiantix_golden_cases
native_exe=$native/app/radiantix native_module=$native/module/radiantix.so
for f in "$cases_tool" "$native_exe" "$native_module" "$exe" "$module"; do
  [[ -f "$f" ]] || fail "$f is missing: build it first"
done
exe=$(realpath "$exe") module=$(realpath "$module")
export WINEDEBUG=${WINEDEBUG:--all}
# The cache file must not colour either render.
export RADIANTIX_CACHE_DIR=$work/cache

work=$(realpath -m "$work")
rm -rf "$work" && mkdir -p "$work/native" "$work/wine" || fail "cannot make $work"
"$cases_tool" "$work" || fail "cannot write the matrix inputs"
cd "$work" || exit 1

n=0 bad=0
while IFS=$'\t' read -r -a fields; do
  name=${fields[0]}
  args=("${fields[@]:1}")
  "$native_exe" render -q "$name.png" -o "native/$name.png" --module "$native_module" "${args[@]}" ||
    fail "native render of $name failed"
  # Relative paths: Wine starts the program in this folder (drive Z:).
  "$wine" "$exe" render -q "$name.png" -o "wine/$name.png" --module "$module" "${args[@]}" ||
    fail "render of $name under Wine failed"
  if ! "$cases_tool" --compare "native/$name.png" "wine/$name.png"; then
    echo "cross-build: $name differs (native/$name.png, wine/$name.png in $work)" >&2
    bad=$((bad + 1))
  fi
  n=$((n + 1))
done < cases.txt
(( n > 0 )) || fail "the matrix is empty"
(( bad == 0 )) || fail "$bad of $n cases differ between the native build and $exe"
echo "cross-build: $n cases identical between the native build and $exe under Wine"
