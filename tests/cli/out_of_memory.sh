#!/usr/bin/env bash
# `radiantix render` short of memory (ulimit -v): status 1, one line that names what did not
# fit, and nothing written: no output file and no temporary file beside it. (The frame is
# rendered where it lies, so an image that can be read can be rendered: the module's own
# allocation failure, -108, is checked with the stand-in module in module_result_codes.sh.)
# Arguments: radiantix radiantix.so work-folder
set -euo pipefail
exe=$1 module=$2 work=$3
rm -rf "$work" && mkdir -p "$work/out"
# An RGB PNG of one colour, W x H pixels, padded with a private chunk to the size that the
# reader's check of the compression ratio expects of so many pixels.
make_png() {
python3 - "$@" <<'PY'
import struct, sys, zlib
w, h = int(sys.argv[2]), int(sys.argv[3])
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
z = zlib.compressobj(9)
row = b"\0" + b"\x40\x60\x90" * w
idat = b"".join(z.compress(row) for _ in range(h)) + z.flush()
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"raDx", bytes(h * (w * 8 + 1) // 1000)) + chunk(b"IDAT", idat)
            + chunk(b"IEND", b""))
PY
}
make_png "$work/huge.png" 30000 30000  # 2.7 GB of pixels
echo keep > "$work/out/old.png"
failed=0
# limit-in-KB  input  output  message (an extended regular expression)
# Two threads, so that their stacks and heaps take the same address space on every machine.
while read -r limit input name message; do
  status=0
  ( ulimit -v "$limit" && exec "$exe" render -q --threads 2 --module "$module" \
      "$work/$input" -o "$work/out/$name" ) 2> "$work/err" || status=$?
  lines=$(wc -l < "$work/err")
  if [[ $status -ne 1 || $lines -ne 1 ]] || ! grep -Eq "^radiantix: $message\$" "$work/err"; then
    echo "ulimit -v $limit: status $status, $lines line(s), want 1 and /$message/:"
    cat "$work/err"
    failed=1
  fi
done <<'CASES'
1000000 huge.png  new.png ".*huge.png" does not fit in memory \(30000 x 30000 pixels\)
1000000 huge.png  old.png ".*huge.png" does not fit in memory \(30000 x 30000 pixels\)
CASES
files=$(cd "$work/out" && ls -A)
[[ $files == old.png && $(cat "$work/out/old.png") == keep ]] ||
  { echo "the output folder holds: $files"; failed=1; }
[[ $failed -eq 0 ]] && echo "out of memory: one line, status 1, nothing written"
exit $failed
