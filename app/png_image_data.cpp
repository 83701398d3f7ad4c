#include "app/png_image_data.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/frame_memory.h"
#include "platform/worker_threads.h"

namespace rx::cli::codec {

namespace {

// Filtered bytes per block: small enough that the threads share out an image evenly and the
// blocks of one round stay small, large enough that a block's end costs nothing worth counting.
constexpr size_t kBlockBytes = size_t(512) << 10;
// Blocks compressed before their chunks are appended: bounds the memory in flight.
constexpr int32_t kBlocksPerThread = 4;
constexpr int32_t kMostThreads = 8;

void putBigEndian(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// One block's output: a whole IDAT chunk (the first `size` bytes of `chunk`, which keeps
// its room from round to round), and the Adler-32 of the block's filtered bytes.
struct Block {
    std::vector<uint8_t> chunk;
    size_t size = 0;
    uLong adler = 0;
    size_t filteredBytes = 0;
    bool ok = false;
};

// Filter type 1 (SUB) for pixels of BPP bytes: each byte minus the byte one pixel to its left.
template <size_t BPP>
void filterSub(const uint8_t* s, uint8_t* d, size_t bytes) {
    const size_t lead = std::min(BPP, bytes);
    for (size_t i = 0; i < lead; ++i) d[i] = s[i];
    size_t i = lead;
#if defined(__SSE2__)
    for (; i + 16 <= bytes; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i - BPP));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_sub_epi8(here, left));
    }
#endif
    for (; i < bytes; ++i) d[i] = uint8_t(s[i] - s[i - BPP]);
}

// SUB for 16-bit samples, which PNG stores big-endian: the row is put in that order in
// `wide` first, then each byte less the byte one pixel (`bpp` bytes) to its left.
void filterSub16(const uint8_t* s, std::vector<uint8_t>& wide, uint8_t* d, size_t bytes,
                 size_t bpp) {
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        uint16_t v;
        std::memcpy(&v, s + i, 2);
        wide[i] = uint8_t(v >> 8);
        wide[i + 1] = uint8_t(v);
    }
    for (size_t i = 0; i < bytes; ++i) d[i] = uint8_t(wide[i] - (i >= bpp ? wide[i - bpp] : 0));
}

// Adler-32 of `n` more bytes, as zlib's adler32 gives it; sixteen bytes at a time with SSE2.
uLong addAdler32(uLong adler, const uint8_t* p, size_t n) {
#if defined(__SSE2__)
    constexpr uint32_t kBase = 65521;
    constexpr size_t kMostBytes = 5552 / 16 * 16;  // before the sums could overflow
    uint64_t a = adler & 0xffff, b = adler >> 16;
    const __m128i zero = _mm_setzero_si128();
    const __m128i weightsLow = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i weightsHigh = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    while (n >= 16) {
        const size_t chunk = std::min(n, kMostBytes) / 16 * 16;
        __m128i sums = zero, sumsBefore = zero, weighted = zero;
        for (size_t i = 0; i < chunk; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            sumsBefore = _mm_add_epi32(sumsBefore, sums);
            sums = _mm_add_epi32(sums, _mm_sad_epu8(v, zero));
            weighted =
                _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), weightsLow));
            weighted =
                _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), weightsHigh));
        }
        alignas(16) uint32_t lane[3][4];
        _mm_store_si128(reinterpret_cast<__m128i*>(lane[0]), sums);
        _mm_store_si128(reinterpret_cast<__m128i*>(lane[1]), sumsBefore);
        _mm_store_si128(reinterpret_cast<__m128i*>(lane[2]), weighted);
        const uint64_t byteSum = uint64_t(lane[0][0]) + lane[0][2];
        const uint64_t before = uint64_t(lane[1][0]) + lane[1][2];
        const uint64_t weightedSum = uint64_t(lane[2][0]) + lane[2][1] + lane[2][2] + lane[2][3];
        b = (b + a * chunk + 16 * before + weightedSum) % kBase;
        a = (a + byteSum) % kBase;
        p += chunk;
        n -= chunk;
    }
    adler = uLong(b << 16 | a);
#endif
    return n ? adler32(adler, p, uInt(n)) : adler;
}

// One thread's deflate state, kept from block to block.
struct Compressor {
    z_stream z{};
    bool ready = false;
    std::vector<uint8_t> line, wide;
    ~Compressor() {
        if (ready) deflateEnd(&z);
    }
};

struct Encoding {
    const Image* image = nullptr;
    size_t rowBytes = 0;
    int32_t blockRows = 1;
    int32_t blocks = 0;
    int32_t roundStart = 0, roundEnd = 0;
    std::atomic<int32_t> nextBlock{0};
    std::atomic<int32_t> nextThread{0};
    std::vector<Block> round;
    std::vector<Compressor> compressors;

    void compress(Compressor& c, int32_t index, Block& b) {
        b.ok = false;
        const int32_t first = index * blockRows;
        const int32_t last = std::min(first + blockRows, image->height);
        const size_t channels = size_t(image->channels);
        if (!c.ready) {
            if (deflateInit2(&c.z, 1, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK) return;
            c.ready = true;
            c.line.resize(rowBytes + 1);
            if (image->depth == 16) c.wide.resize(rowBytes);
        } else if (deflateReset(&c.z) != Z_OK) {
            return;
        }
        b.filteredBytes = size_t(last - first) * (rowBytes + 1);
        // Room for the worst case and the flush; the chunk's head goes in front.
        const size_t room = 8 + deflateBound(&c.z, uLong(b.filteredBytes)) + 16;
        if (b.chunk.size() < room) b.chunk.resize(room);
        c.z.next_out = b.chunk.data() + 8;
        c.z.avail_out = uInt(b.chunk.size() - 8);
        b.adler = adler32(0, nullptr, 0);
        const bool finalBlock = index == blocks - 1;
        for (int32_t y = first; y < last; ++y) {
            // Filter type 1 (SUB): each byte minus the byte one pixel to its left.
            uint8_t* d = c.line.data();
            d[0] = 1;
            if (image->depth == 16) {
                filterSub16(image->row(y), c.wide, d + 1, rowBytes, channels * 2);
            } else
                switch (channels) {
                    case 1: filterSub<1>(image->row(y), d + 1, rowBytes); break;
                    case 2: filterSub<2>(image->row(y), d + 1, rowBytes); break;
                    case 3: filterSub<3>(image->row(y), d + 1, rowBytes); break;
                    default: filterSub<4>(image->row(y), d + 1, rowBytes); break;
                }
            b.adler = addAdler32(b.adler, d, rowBytes + 1);
            c.z.next_in = d;
            c.z.avail_in = uInt(rowBytes + 1);
            const bool lastRow = y == last - 1;
            // The image's last block ends the stream; every other ends on a byte boundary.
            const int flush = !lastRow ? Z_NO_FLUSH : finalBlock ? Z_FINISH : Z_SYNC_FLUSH;
            for (;;) {
                if (c.z.avail_out == 0) {
                    const size_t used = b.chunk.size();
                    b.chunk.resize(used + (used >> 1) + 4096);
                    c.z.next_out = b.chunk.data() + used;
                    c.z.avail_out = uInt(b.chunk.size() - used);
                }
                const int result = deflate(&c.z, flush);
                if (result == Z_STREAM_ERROR) return;
                if (flush == Z_FINISH ? result == Z_STREAM_END
                                      : c.z.avail_in == 0 && c.z.avail_out != 0)
                    break;
            }
        }
        const size_t size = size_t(c.z.next_out - b.chunk.data()) - 8;
        if (b.chunk.size() < 8 + size + 4) b.chunk.resize(8 + size + 4);
        putBigEndian(b.chunk.data(), uint32_t(size));
        std::memcpy(b.chunk.data() + 4, "IDAT", 4);
        const uLong crc = crc32(0, b.chunk.data() + 4, uInt(size + 4));
        putBigEndian(b.chunk.data() + 8 + size, uint32_t(crc));
        b.size = 8 + size + 4;
        b.ok = true;
    }

    // Every thread takes a compressor of its own, then blocks of the round until none is left.
    static void run(void* self) {
        Encoding& e = *static_cast<Encoding*>(self);
        Compressor& c = e.compressors[size_t(e.nextThread.fetch_add(1))];
        for (;;) {
            const int32_t index = e.nextBlock.fetch_add(1);
            if (index >= e.roundEnd) return;
            e.compress(c, index, e.round[size_t(index - e.roundStart)]);
        }
    }
};

}  // namespace

void appendPngChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t size) {
    uint8_t head[8];
    putBigEndian(head, uint32_t(size));
    std::memcpy(head + 4, type, 4);
    out.insert(out.end(), head, head + 8);
    if (size) out.insert(out.end(), data, data + size);
    uLong crc = crc32(0, head + 4, 4);
    if (size) crc = crc32(crc, data, uInt(size));
    uint8_t tail[4];
    putBigEndian(tail, uint32_t(crc));
    out.insert(out.end(), tail, tail + 4);
}

bool appendPngImageData(const Image& image, std::vector<uint8_t>& out, int32_t blockRows) {
    Encoding e;
    e.image = &image;
    e.rowBytes = image.rowBytes();
    e.blockRows =
        blockRows > 0 ? blockRows : int32_t(std::max<size_t>(1, kBlockBytes / (e.rowBytes + 1)));
    e.blocks = (image.height + e.blockRows - 1) / e.blockRows;
    const int32_t threads =
        std::max(1, std::min({platform::processorCount(), kMostThreads, e.blocks}));
    std::unique_ptr<platform::WorkerThreads> workers(new platform::WorkerThreads(threads - 1));
    const int32_t running = workers->threadCount() + 1;
    e.compressors.resize(size_t(running));
    e.round.resize(size_t(running * kBlocksPerThread));

    // The zlib header (deflate, 32 KiB window, the fastest level) is a chunk of its own.
    const uint8_t header[2] = {0x78, 0x01};
    appendPngChunk(out, "IDAT", header, 2);
    const size_t start = out.size();
    uLong adler = adler32(0, nullptr, 0);
    size_t filtered = 0;
    for (e.roundStart = 0; e.roundStart < e.blocks; e.roundStart = e.roundEnd) {
        e.roundEnd = std::min(e.blocks, e.roundStart + int32_t(e.round.size()));
        e.nextBlock.store(e.roundStart);
        e.nextThread.store(0);
        workers->run(&Encoding::run, &e);
        for (int32_t i = e.roundStart; i < e.roundEnd; ++i) {
            Block& b = e.round[size_t(i - e.roundStart)];
            if (!b.ok) return false;
            // Room for the rest, judged by what the image has given so far, so the output
            // grows once or twice rather than doubling.
            const size_t need = out.size() + b.size;
            if (need > out.capacity()) {
                const double share = double(filtered + b.filteredBytes) /
                                     double(size_t(image.height) * (e.rowBytes + 1));
                const size_t guess = start + size_t(double(need - start) / share * 1.05);
                out.reserve(std::max(need, guess) + 64);
                platform::adviseHugePages(out.data() + out.size(), out.capacity() - out.size());
            }
            out.insert(out.end(), b.chunk.data(), b.chunk.data() + b.size);
            adler = adler32_combine(adler, b.adler, z_off_t(b.filteredBytes));
            filtered += b.filteredBytes;
        }
    }
    uint8_t trailer[4];
    putBigEndian(trailer, uint32_t(adler));
    appendPngChunk(out, "IDAT", trailer, 4);
    return true;
}

}  // namespace rx::cli::codec
