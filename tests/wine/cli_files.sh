#!/usr/bin/env bash
# radiantix.exe's reader and writer of files under Wine: refusals in one line with status 1;
# writing over an output or preset (a symbolic link itself) leaves no temporary file; stb's
# JPEG reader takes an overflowing inverse transform and refuses an oversized Huffman table.
# Arguments: wine64 radiantix.exe Radiantix.8bf work-folder folder-of-the-JPEG-files
set -euo pipefail
wine=$1 exe=$2 module=$3 work=$4 jpegs=$5
rm -rf "$work" && mkdir -p "$work/folder" "$work/out"
head -c $((2 << 20)) /dev/zero > "$work/big.q4q"
printf 'abc' > "$work/short.q4q"
head -c 20000 "$module" > "$work/cut.8bf"
failed=0
run() {  # status-wanted message-wanted radiantix-arguments...
  local want=$1 message=$2 status=0
  shift 2
  "$wine" "$exe" "$@" > "$work/stdout" 2> "$work/err" || status=$?
  local said
  said=$(tr -d '\r' < "$work/err")  # nothing on success (-q), one line on failure
  if [[ $status -ne $want || ( -z $message && -n $said ) || $said != *"$message"* ||
        ( -n $message && $said == *$'\n'* ) ]]; then
    echo "radiantix $*: status $status (want $want), said: $said"
    echo "  want one line with: $message"
    failed=1
  fi
}
run 1 "is a folder, not a preset file" preset show "$work/folder"
run 1 "is far larger than a preset file" preset show "$work/big.q4q"
run 1 "it is too short to be a preset file" preset show "$work/short.q4q"
run 1 "is a folder, not an image file" render -q --module "$module" "$work/folder" -o "$work/out/a.png"
run 1 "is not a filter module" render -q --module "$work/cut.8bf" -o "$work/out/a.png"
run 0 "" render -q --module "$module" "$jpegs/jpeg_idct_overflow.jpg" -o "$work/out/jpeg.png"
run 1 "a Huffman table holds more than 256 codes" render -q --module "$module" \
  "$jpegs/jpeg_dht_past_end.jpg" -o "$work/out/b.png"
run 1 "uses one it never defined" render -q --module "$module" \
  "$jpegs/jpeg_scan_undefined_table.jpg" -o "$work/out/c.png"

# Replacing: the same bytes as a fresh file, and nothing else left in the folder.
run 0 "" render -q --module "$module" --set sunRadius=30 -o "$work/out/fresh.png"
echo old > "$work/out/over.png"
run 0 "" render -q --module "$module" --set sunRadius=30 -o "$work/out/over.png"
cmp -s "$work/out/fresh.png" "$work/out/over.png" || { echo "over.png was not replaced"; failed=1; }
# An output that is a symbolic link: the link is replaced, the file it points to left alone.
echo precious > "$work/other.png"
ln -s "$work/other.png" "$work/out/link.png"
run 0 "" render -q --module "$module" --set sunRadius=30 -o "$work/out/link.png"
[[ ! -L "$work/out/link.png" && $(cat "$work/other.png") == precious ]] &&
  cmp -s "$work/out/fresh.png" "$work/out/link.png" || { echo "link.png wrote through"; failed=1; }
echo old > "$work/out/over.q4q"
run 0 "" preset write "$work/out/over.q4q" --set sunRadius=31
run 0 "" preset show "$work/out/over.q4q"
grep -q '^sunRadius=31' "$work/stdout" || { echo "over.q4q was not replaced"; failed=1; }
files=$(cd "$work/out" && ls -A | tr '\n' ' ')
[[ $files == "fresh.png jpeg.png link.png over.png over.q4q " ]] ||
  { echo "the output folder holds: $files"; failed=1; }
[[ $failed -eq 0 ]] && echo "files under Wine: refused, replaced and cleaned up as expected"
exit $failed
