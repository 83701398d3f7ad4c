#!/usr/bin/env bash
# The main job: builds the native module and command-line host, then renders a sun.
# Extra arguments go to `radiantix render` (default: built-in image, writes sun.png).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build build/native -j"$(nproc)" --target radiantix radiantix_module >/dev/null
exec build/native/app/radiantix render --module build/native/module/radiantix.so "$@"
