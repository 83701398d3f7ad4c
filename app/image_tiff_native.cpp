// TIFF through libtiff, from and to memory. 8-bit grey and RGB files (with or without
// alpha) in strips are read as they are stored; every other kind libtiff knows (palette,
// YCbCr, tiles, 1-bit, a turned orientation) through its RGBA reader.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "app/image_codecs.h"

namespace rx::cli::codec {

namespace {

// A growable file in memory that libtiff reads, writes and seeks.
struct MemoryFile {
    const uint8_t* data = nullptr;  // reading
    Bytes* out = nullptr;           // writing
    size_t size = 0;
    size_t at = 0;
};

tsize_t readProc(thandle_t h, tdata_t buf, tsize_t n) {
    auto* f = static_cast<MemoryFile*>(h);
    if (!f->data || n < 0) return 0;
    size_t count = std::min(size_t(n), f->at < f->size ? f->size - f->at : 0);
    std::memcpy(buf, f->data + f->at, count);
    f->at += count;
    return tsize_t(count);
}

tsize_t writeProc(thandle_t h, tdata_t buf, tsize_t n) {
    auto* f = static_cast<MemoryFile*>(h);
    if (!f->out || n < 0) return 0;
    if (f->at + size_t(n) > f->out->size()) f->out->resize(f->at + size_t(n));
    std::memcpy(f->out->data() + f->at, buf, size_t(n));
    f->at += size_t(n);
    f->size = f->out->size();
    return n;
}

toff_t seekProc(thandle_t h, toff_t offset, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    int64_t base = whence == SEEK_CUR ? int64_t(f->at) : whence == SEEK_END ? int64_t(f->size) : 0;
    int64_t to = base + int64_t(offset);
    if (to < 0) return toff_t(-1);
    f->at = size_t(to);
    return toff_t(to);
}

int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t h) { return static_cast<MemoryFile*>(h)->size; }
int mapProc(thandle_t, tdata_t*, toff_t*) { return 0; }
void unmapProc(thandle_t, tdata_t, toff_t) {}

// libtiff reports through handlers it prints by default; keep the first error as ours.
thread_local std::string gTiffError;
void onTiffError(const char*, const char* format, va_list args) {
    if (!gTiffError.empty()) return;
    char text[256];
    std::vsnprintf(text, sizeof text, format, args);
    gTiffError = text;
}
void onTiffWarning(const char*, const char*, va_list) {}

struct Handlers {
    TIFFErrorHandler error, warning;
    Handlers()
        : error(TIFFSetErrorHandler(onTiffError)), warning(TIFFSetWarningHandler(onTiffWarning)) {
        gTiffError.clear();
    }
    ~Handlers() {
        TIFFSetErrorHandler(error);
        TIFFSetWarningHandler(warning);
    }
};

struct Closer {
    TIFF* tiff;
    ~Closer() {
        if (tiff) TIFFClose(tiff);
    }
};

bool readStored(TIFF* tiff, Image& image, std::string& error) {
    for (int32_t y = 0; y < image.height; ++y)
        if (TIFFReadScanline(tiff, image.row(y), uint32_t(y), 0) < 0) {
            error = "is truncated or damaged (" + gTiffError + ")";
            return false;
        }
    return true;
}

bool readThroughRgba(TIFF* tiff, Image& image, int32_t channels, std::string& error) {
    Image rgba;
    if (!allocate(rgba, image.width, image.height, 4, error)) return false;
    if (!TIFFReadRGBAImageOriented(tiff, uint32_t(image.width), uint32_t(image.height),
                                   reinterpret_cast<uint32_t*>(rgba.pixels.data()),
                                   ORIENTATION_TOPLEFT, 0)) {
        error = "is a TIFF image we cannot read (" + gTiffError + ")";
        return false;
    }
    const size_t count = size_t(image.width) * size_t(image.height);
    if (!allocate(image, image.width, image.height, channels, error)) return false;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t px = reinterpret_cast<const uint32_t*>(rgba.pixels.data())[i];
        uint8_t* d = &image.pixels[i * size_t(channels)];
        d[0] = uint8_t(TIFFGetR(px)), d[1] = uint8_t(TIFFGetG(px)), d[2] = uint8_t(TIFFGetB(px));
        if (channels == 4) d[3] = uint8_t(TIFFGetA(px));
    }
    return true;
}

}  // namespace

bool decodeTiff(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
                std::string& error) {
    Handlers handlers;
    MemoryFile file;
    file.data = data;
    file.size = size;
    Closer c{TIFFClientOpen("input", "rm", &file, readProc, writeProc, seekProc, closeProc,
                            sizeProc, mapProc, unmapProc)};
    if (!c.tiff) {
        error = "is not a readable TIFF image (" + gTiffError + ")";
        return false;
    }
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, format = SAMPLEFORMAT_UINT, photometric = 0, planar = 1;
    uint16_t orientation = ORIENTATION_TOPLEFT, extraCount = 0;
    uint16_t* extra = nullptr;
    TIFFGetField(c.tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(c.tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(c.tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(c.tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(c.tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(c.tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(c.tiff, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(c.tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    if (!TIFFGetField(c.tiff, TIFFTAG_PHOTOMETRIC, &photometric)) photometric = 0xffff;
    error = sizeProblem(width, height);
    if (!error.empty()) return false;
    uint32_t iccSize = 0;
    const uint8_t* icc = nullptr;
    if (TIFFGetField(c.tiff, TIFFTAG_ICCPROFILE, &iccSize, &icc) && icc)
        image.iccProfile.assign(icc, icc + iccSize);
    if (format == SAMPLEFORMAT_IEEEFP) {
        error = depthRefusal(bits, true);
        if (options.reduceDepth)
            error =
                "has floating-point channels, which --depth 8 does not "
                "reduce; convert it to 8 bits first";
        return false;
    }
    if (bits > 16) {
        error = "has " + std::to_string(bits) + " bits per channel; convert it to 8 bits first";
        return false;
    }
    const bool grey = photometric == PHOTOMETRIC_MINISBLACK;
    const bool alpha = extraCount >= 1 && extra && extra[0] != EXTRASAMPLE_UNSPECIFIED;
    const int32_t colours = grey ? 1 : 3;
    const bool stored = bits == 8 && format == SAMPLEFORMAT_UINT && planar == PLANARCONFIG_CONTIG &&
                        orientation == ORIENTATION_TOPLEFT && !TIFFIsTiled(c.tiff) &&
                        (grey || photometric == PHOTOMETRIC_RGB) &&
                        samples == colours + (alpha ? 1 : 0) &&
                        !(alpha && extra[0] == EXTRASAMPLE_ASSOCALPHA);
    if (stored) {
        if (!allocate(image, int32_t(width), int32_t(height), colours + (alpha ? 1 : 0), error))
            return false;
        return readStored(c.tiff, image, error);
    }
    // 16-bit samples are kept when stored as 16-bit rows (libtiff hands them in the
    // machine's order); other 16-bit layouts only through the reduction.
    const bool deepStored = bits == 16 && format == SAMPLEFORMAT_UINT &&
                            planar == PLANARCONFIG_CONTIG && orientation == ORIENTATION_TOPLEFT &&
                            !TIFFIsTiled(c.tiff) && (grey || photometric == PHOTOMETRIC_RGB) &&
                            samples == colours + (alpha ? 1 : 0) &&
                            !(alpha && extra[0] == EXTRASAMPLE_ASSOCALPHA);
    if (bits > 8 && !options.reduceDepth) {
        if (!deepStored) {
            error =
                "has 16 bits per channel in a layout radiantix keeps only at 8 bits: pass "
                "--depth 8 to reduce it";
            return false;
        }
        if (!allocate(image, int32_t(width), int32_t(height), colours + (alpha ? 1 : 0), error, 16))
            return false;
        return readStored(c.tiff, image, error);
    }
    image.width = int32_t(width);
    image.height = int32_t(height);
    return readThroughRgba(c.tiff, image, alpha ? 4 : 3, error);
}

bool encodeTiff(const Image& image, Bytes& out, std::string& error) {
    Handlers handlers;
    MemoryFile file;
    file.out = &out;
    out.reserve(image.pixels.size() * 3 / 4 + 4096);
    Closer c{TIFFClientOpen("output", "w", &file, readProc, writeProc, seekProc, closeProc,
                            sizeProc, mapProc, unmapProc)};
    if (!c.tiff) {
        error = "cannot encode the TIFF image (" + gTiffError + ")";
        return false;
    }
    const uint16_t colours = image.isGrey() ? 1 : 3;
    TIFFSetField(c.tiff, TIFFTAG_IMAGEWIDTH, uint32_t(image.width));
    TIFFSetField(c.tiff, TIFFTAG_IMAGELENGTH, uint32_t(image.height));
    TIFFSetField(c.tiff, TIFFTAG_BITSPERSAMPLE, image.depth == 16 ? 16 : 8);
    TIFFSetField(c.tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(image.channels));
    TIFFSetField(c.tiff, TIFFTAG_PHOTOMETRIC,
                 colours == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(c.tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(c.tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    if (iccFits(image.iccProfile, image.isGrey()))
        TIFFSetField(c.tiff, TIFFTAG_ICCPROFILE, uint32_t(image.iccProfile.size()),
                     image.iccProfile.data());
    if (image.hasAlpha()) {
        uint16_t kind = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(c.tiff, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    // Deflate at its fastest level with the horizontal predictor: quick, and lossless.
    TIFFSetField(c.tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(c.tiff, TIFFTAG_ZIPQUALITY, 1);
    TIFFSetField(c.tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(c.tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(c.tiff, 0));
    // The predictor works in place: hand libtiff a copy of each row.
    std::vector<uint8_t> row(image.rowBytes());
    for (int32_t y = 0; y < image.height; ++y) {
        std::memcpy(row.data(), image.row(y), row.size());
        if (TIFFWriteScanline(c.tiff, row.data(), uint32_t(y), 0) < 0) {
            error = "cannot encode the TIFF image (" + gTiffError + ")";
            return false;
        }
    }
    TIFFClose(c.tiff);
    c.tiff = nullptr;
    if (!gTiffError.empty()) {
        error = "cannot encode the TIFF image (" + gTiffError + ")";
        return false;
    }
    return true;
}

}  // namespace rx::cli::codec
