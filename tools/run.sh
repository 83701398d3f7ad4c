#!/usr/bin/env bash
# The main job: builds the native module and command-line host, then renders a sun.
# Extra arguments go to `radiantix render`, with paths taken from the caller's folder.
# Without arguments it paints the default sun onto the built-in sky with the screen blend,
# so that the sky shows through (the filter's own default, "normal", paints the sun alone
# on black) and writes sun.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
(cd "$root" && cmake --preset native >/dev/null &&
  cmake --build build/native -j"$(nproc)" --target radiantix radiantix_module >/dev/null)
(($#)) || set -- --set blendMode=screen
exec "$root/build/native/app/radiantix" render --module "$root/build/native/module/radiantix.so" "$@"
