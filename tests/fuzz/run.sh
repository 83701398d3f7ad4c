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

# fuzz TARGET MAX_LEN [SEED_FOLDER | OPTION]...: runs one target, its corpus kept in the build.
fuzz() {
  local target=$1 max_len=$2
  shift 2
  mkdir -p "$build/corpus/$target"
  echo "fuzz: $target for ${seconds}s"
  "$build/${target}_fuzz" "$build/corpus/$target" "$@" -max_len="$max_len" \
    -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/" 2>&1 | tail -n 40
}

fuzz preset 600 presets

# The image readers of the native and of the Windows build (libFuzzer finds the formats'
# signatures from an empty corpus), first on the inputs that once drew a report.
for target in image stb_image; do
  "$build/${target}_fuzz" tests/fuzz/regressions/* 2>&1 | tail -n 5
  fuzz "$target" 4096 tests/fuzz/regressions -rss_limit_mb=2048
done

# The --set value parser and the property-list reader.
fuzz setting_value 256
fuzz pipl 256
