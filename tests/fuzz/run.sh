#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 30 s each).
# Skips cleanly where clang is not installed. Usage: tests/fuzz/run.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not installed, skipped"
  exit 0
fi
build=build/fuzz
CXX=clang++ cmake -S tests/fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
mkdir -p "$build/corpus/preset"
echo "fuzz: preset reader for ${seconds}s"
"$build/preset_fuzz" "$build/corpus/preset" presets -max_len=600 -max_total_time="$seconds" \
  -print_final_stats=1 -artifact_prefix="$build/" 2>&1 | tail -n 40

# The image readers of the native and of the Windows build (libFuzzer finds the formats'
# signatures from an empty corpus), first on the inputs that once drew a report.
for target in image stb_image; do
  mkdir -p "$build/corpus/$target"
  echo "fuzz: $target readers for ${seconds}s"
  "$build/${target}_fuzz" tests/fuzz/regressions/* 2>&1 | tail -n 5
  "$build/${target}_fuzz" "$build/corpus/$target" tests/fuzz/regressions -max_len=4096 \
    -rss_limit_mb=2048 -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/" 2>&1 | tail -n 40
done

# The --set value parser and the property-list reader.
for target in setting_value pipl; do
  mkdir -p "$build/corpus/$target"
  echo "fuzz: $target for ${seconds}s"
  "$build/${target}_fuzz" "$build/corpus/$target" -max_len=256 -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix="$build/" 2>&1 | tail -n 40
done
