#!/usr/bin/env bash
# Every test: native under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# Windows x64 and x86 builds with the tests that run under Wine. The x86 tests run where
# this machine runs 32-bit code and report themselves skipped where it does not.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== format (clang-format with the root .clang-format) and include layers"
tools/check_format.sh
tools/check_layers.sh

echo "== native (ASan + UBSan)"
cmake --preset native-asan >/dev/null
cmake --build build/native-asan -j"$jobs"
ctest --preset native-asan -j"$jobs"

echo "== fuzz: preset, image (native and stb), --set value and PIPL readers (libFuzzer; skipped where clang is not installed)"
tests/fuzz/run.sh 30

echo "== native (release: golden images, cross-build comparisons, out of memory under ulimit -v)"
cmake --preset native >/dev/null
cmake --build build/native -j"$jobs"
ctest --preset native -R '^cli_out_of_memory$'

echo "== Windows builds (x86, then x64, whose release zip carries the x86 module)"
cmake --preset win32 >/dev/null
cmake --build build/win32 -j"$jobs"
cmake --preset win64 >/dev/null
cmake --build build/win64 -j"$jobs"

# Each build's tests run in that build's own Wine prefix (set by CTest), made ready before
# the first Windows program and its server stopped after the last. A 24-bit screen large
# enough for the dialog (the default is 640x480 at 8 bits).
screen=(-a -s "-screen 0 1280x1024x24")
echo "== Windows x64 (under Wine)"
xvfb-run "${screen[@]}" ctest --preset win64
echo "== Windows x86 (under Wine's WoW64 mode, where this machine runs 32-bit code)"
xvfb-run "${screen[@]}" ctest --preset win32
# CTest keeps a skipped test's output to itself: say here what the x86 probe found.
if [[ $(cat build/win32/x86_probe_result.txt 2>/dev/null) == none ]]; then
  echo "x86 tests skipped: this machine runs no 32-bit code"
fi
echo "== all tests passed"
