#!/usr/bin/env bash
# Every test: native under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# Windows x64 and x86 cross builds with the tests that run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== native (ASan + UBSan)"
cmake --preset native-asan >/dev/null
cmake --build build/native-asan -j"$jobs"
(cd build/native-asan && ctest --output-on-failure -j"$jobs")

echo "== fuzz: preset reader (libFuzzer; skipped where clang is not installed)"
tests/fuzz/run.sh 60

echo "== native (release: golden images, cross-build comparisons)"
cmake --preset native >/dev/null
cmake --build build/native -j"$jobs"

echo "== Windows x86"
cmake --preset win32 >/dev/null
cmake --build build/win32 -j"$jobs"
(cd build/win32 && ctest --output-on-failure)

echo "== Windows x64 (under Wine)"
cmake --preset win64 >/dev/null
cmake --build build/win64 -j"$jobs"
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export RADIANTIX_NATIVE_BUILD="$PWD/build/native"
# A 24-bit screen large enough for the dialog (the default is 640x480 at 8 bits).
(cd build/win64 && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure)
echo "== all tests passed"
