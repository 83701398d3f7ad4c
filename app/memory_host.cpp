#include "app/memory_host.h"

#include "app/display_pixels.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

namespace rx {

// [SECTION] State kept behind the record

namespace {

// The callbacks of the interface carry no context, so each finds its host here. One per
// thread: the command line runs several files at once, each render on a thread of its own,
// and the module calls its host only from the thread that called its entry point.
thread_local MemoryHost* gActive = nullptr;

// A host handle: the first word is the data pointer, as hosts lay out their handles.
struct HostHandle {
    char* data;
    int32_t size;
    int32_t locks;
};

struct HostBuffer {
    std::vector<char> bytes;
    int32_t locks;
};

// Fresh host memory holds this pattern, so that a module relying on zero-filled
// memory from the host shows up in tests.
constexpr uint8_t kFreshFill = 0xCD;

constexpr OSErr kParamErr = -50;
constexpr OSErr kHostInsufficient = -30900;

bool rectEmpty(const Rect& r) { return r.bottom <= r.top || r.right <= r.left; }

bool sameRect(const Rect& a, const Rect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

// What the host delivered for one of the three areas.
struct Delivered {
    Rect rect{0, 0, 0, 0};
    int16_t lo = 0, hi = -1;
    std::vector<uint8_t> bytes;
    uint8_t* direct = nullptr;  // set when the rows are handed out in place (no copy)
    int32_t rowBytes = 0;
    int32_t rate = 1;  // 1, or the reduction of a preview copy
    int32_t planes() const { return hi - lo + 1; }
    uint8_t* data() { return direct ? direct : (bytes.empty() ? nullptr : bytes.data()); }
};

}  // namespace

struct MemoryHost::Impl {
    MemoryHost& host;
    HandleProcs handleProcs{};
    BufferProcs bufferProcs{};
    PlatformData platform{};
    std::map<Handle, std::unique_ptr<HostHandle>> handles;
    std::map<BufferID, std::unique_ptr<HostBuffer>> buffers;
    int handleAllocations = 0;
    int bufferAllocations = 0;
    std::vector<uint8_t> source;  // the image as it was when the run started
    bool running = false;         // a run has started (its input is source or the image)
    bool inStart = false;         // inside the start selector (the dialog's previews)
    Delivered in, out, mask;

    explicit Impl(MemoryHost& h) : host(h) {}

    // [SECTION] Handle suite

    static Handle RX_CDECL newHandle(int32_t size) {
        Impl& m = *active().impl_;
        if (size < 0) return nullptr;
        if (m.host.options_.failHandlesAfter >= 0 &&
            m.handleAllocations >= m.host.options_.failHandlesAfter)
            return nullptr;
        ++m.handleAllocations;
        auto hh = std::make_unique<HostHandle>();
        hh->data = new char[size_t(size) + 1];
        std::memset(hh->data, kFreshFill, size_t(size) + 1);
        hh->size = size;
        hh->locks = 0;
        Handle h = &hh->data;
        m.handles[h] = std::move(hh);
        return h;
    }
    static HostHandle* find(Handle h) {
        Impl& m = *active().impl_;
        auto it = m.handles.find(h);
        return it == m.handles.end() ? nullptr : it->second.get();
    }
    static void RX_CDECL disposeHandle(Handle h) {
        Impl& m = *active().impl_;
        auto it = m.handles.find(h);
        if (it == m.handles.end() || m.host.options_.disposeFreesNothing) return;
        delete[] it->second->data;
        m.handles.erase(it);
    }
    static int32_t RX_CDECL getSize(Handle h) {
        HostHandle* hh = find(h);
        return hh && !active().options_.sizeAnswersZero ? hh->size : 0;
    }
    static OSErr RX_CDECL setSize(Handle h, int32_t size) {
        HostHandle* hh = find(h);
        if (!hh || size < 0) return kParamErr;
        if (hh->locks > 0) return kParamErr;  // a locked handle cannot move
        char* data = new char[size_t(size) + 1];
        std::memset(data, kFreshFill, size_t(size) + 1);
        std::memcpy(data, hh->data, size_t(std::min(size, hh->size)));
        delete[] hh->data;
        hh->data = data;
        hh->size = size;
        return noErr;
    }
    static Ptr RX_CDECL lockHandle(Handle h, Boolean) {
        HostHandle* hh = find(h);
        if (!hh) return nullptr;
        ++hh->locks;
        return hh->data;
    }
    static void RX_CDECL unlockHandle(Handle h) {
        HostHandle* hh = find(h);
        if (hh && hh->locks > 0) --hh->locks;
    }
    static void RX_CDECL recoverSpace(int32_t) {}

    // [SECTION] Buffer suite

    static OSErr allocate(int64_t size, BufferID* id) {
        Impl& m = *active().impl_;
        *id = nullptr;
        if (size < 0) return kParamErr;
        if (m.host.options_.failBuffersAfter >= 0 &&
            m.bufferAllocations >= m.host.options_.failBuffersAfter)
            return memFullErr;
        ++m.bufferAllocations;
        auto b = std::make_unique<HostBuffer>();
        b->bytes.assign(size_t(size) + 1, char(kFreshFill));
        b->locks = 0;
        *id = reinterpret_cast<BufferID>(b.get());
        m.buffers[*id] = std::move(b);
        return noErr;
    }
    static OSErr RX_CDECL allocateBuffer(int32_t size, BufferID* id) { return allocate(size, id); }
    static OSErr RX_CDECL allocateBuffer64(int64_t size, BufferID* id) {
        return allocate(size, id);
    }
    static HostBuffer* findBuffer(BufferID id) {
        Impl& m = *active().impl_;
        auto it = m.buffers.find(id);
        return it == m.buffers.end() ? nullptr : it->second.get();
    }
    static Ptr RX_CDECL lockBuffer(BufferID id, Boolean) {
        HostBuffer* b = findBuffer(id);
        if (!b) return nullptr;
        ++b->locks;
        return b->bytes.data();
    }
    static void RX_CDECL unlockBuffer(BufferID id) {
        HostBuffer* b = findBuffer(id);
        if (b && b->locks > 0) --b->locks;
    }
    static void RX_CDECL freeBuffer(BufferID id) { active().impl_->buffers.erase(id); }
    static int32_t RX_CDECL bufferSpace() { return active().record_.maxSpace; }
    static OSErr RX_CDECL reserveSpace(int32_t) { return noErr; }
    static int64_t RX_CDECL bufferSpace64() { return active().record_.maxSpace; }

    // [SECTION] Callbacks

    static Boolean RX_CDECL testAbort() {
        MemoryHost& h = active();
        ++h.abortPolls_;
        return h.onAbort && h.onAbort() ? 1 : 0;
    }
    static void RX_CDECL progress(int32_t done, int32_t total) {
        MemoryHost& h = active();
        h.progress_.push_back({done, total});
        if (h.onProgress) h.onProgress(done, total);
    }
    static OSErr RX_CDECL advanceState() {
        MemoryHost& h = active();
        ++h.advanceCalls_;
        return h.impl_->exchange();
    }
    static OSErr RX_CDECL displayPixels(const PSPixelMap* map, const VRect* rect, int32_t row,
                                        int32_t col, void* context) {
        MemoryHost& h = active();
        ++h.displayCalls_;
        return h.onDisplayPixels ? h.onDisplayPixels(map, rect, row, col, context)
                                 : drawPixelMap(map, rect, row, col, context);
    }
    static OSErr RX_CDECL colorServices(ColorServicesInfo* info) {
        MemoryHost& h = active();
        return h.onColorServices ? h.onColorServices(info) : kHostInsufficient;
    }

    // [SECTION] Delivering and taking back pixels

    // Fills `d` with `rect` of planes lo..hi (below `planes`) of `base` (an image-sized
    // array of `channels` interleaved planes per pixel), padding outside the image as `padding`
    // says. Returns an error code. At a reduced rate (a preview) the rectangle is in reduced
    // coordinates: its pixel (x, y) samples the image at (x * rate, y * rate), as hosts build a
    // proxy. With `inPlace`, a request that covers whole pixels inside the image at rate 1 is
    // handed out as a pointer into `base` itself, as hosts hand out their tiles.
    OSErr deliver(Delivered& d, const Rect& rect, int16_t lo, int16_t hi, int16_t padding,
                  int32_t planes, int32_t channels, const uint8_t* base, int32_t rate = 1,
                  bool inPlace = false, int32_t sampleBytes = 1) {
        d.rect = rect;
        d.lo = lo;
        d.hi = hi;
        d.bytes.clear();
        d.direct = nullptr;
        d.rowBytes = 0;
        if (rectEmpty(rect)) return noErr;
        if (lo < 0 || hi < lo || hi >= planes) return kParamErr;
        const HostImage& img = host.image_;
        const int32_t limitW = (img.width + rate - 1) / rate;
        const int32_t limitH = (img.height + rate - 1) / rate;
        const bool outside =
            rect.top < 0 || rect.left < 0 || rect.bottom > limitH || rect.right > limitW;
        if (outside && padding == -3) return kParamErr;
        const int32_t w = rect.right - rect.left, ht = rect.bottom - rect.top;
        // From here on in bytes: a 16-bit sample is two byte-wide planes.
        const int32_t n = d.planes() * sampleBytes;
        const int32_t first = lo * sampleBytes;
        const bool wholePixels = rate == 1 && n == channels * sampleBytes;
        channels *= sampleBytes;
        if (inPlace && wholePixels && !outside && host.options_.rowPadding == 0) {
            d.direct =
                const_cast<uint8_t*>(base) + (size_t(rect.top) * img.width + rect.left) * channels;
            d.rowBytes = img.width * channels;
            return noErr;
        }
        d.rowBytes = w * n + host.options_.rowPadding;
        d.bytes.assign(size_t(d.rowBytes) * ht, kFreshFill);
        auto pixel = [&](int32_t x, int32_t y, int32_t p) {
            return base[(size_t(y) * img.width + x) * channels + p];
        };
        for (int32_t y = 0; y < ht; ++y) {
            uint8_t* row = &d.bytes[size_t(y) * d.rowBytes];
            const int32_t iy = rect.top + y;
            if (wholePixels && iy >= 0 && iy < limitH && rect.left >= 0 && rect.right <= limitW) {
                // The whole row lies in the image: one copy.
                std::memcpy(row, &base[(size_t(iy) * img.width + rect.left) * channels],
                            size_t(w) * n);
                continue;
            }
            for (int32_t x = 0; x < w; ++x) {
                int32_t ix = rect.left + x;
                const bool in = ix >= 0 && iy >= 0 && ix < limitW && iy < limitH;
                for (int32_t p = 0; p < n; ++p) {
                    uint8_t& dst = row[size_t(x) * n + p];
                    if (in) {
                        dst = pixel(ix * rate, iy * rate, first + p);
                    } else if (padding >= 0 && padding <= 255) {
                        dst = uint8_t(padding);
                    } else if (padding == -1) {
                        dst = pixel(std::clamp(ix, 0, limitW - 1) * rate,
                                    std::clamp(iy, 0, limitH - 1) * rate, first + p);
                    }  // -2: the module asked for no padding; the bytes stay as they are
                }
            }
        }
        return noErr;
    }

    // Writes the output buffer back into the image, inside the image only. With autoMask
    // still set the host applies the selection itself, as paint programs do.
    void commit() {
        Delivered& d = out;
        // The start selector composites nothing: the output buffers it is handed come from
        // the dialog's preview (reduced copies), never a finished band.
        // Output handed out in place is in the image already.
        if (d.bytes.empty() || d.direct || inStart || d.rate != 1) return;
        HostImage& img = host.image_;
        const FilterRecord& r = host.record_;
        const bool masking = r.autoMask && !img.mask.empty() && !source.empty();
        const int32_t n = d.planes(), ch = img.channels(), sb = img.sampleBytes();
        const bool wholeRows = !masking && n == ch && d.rect.left >= 0 && d.rect.right <= img.width;
        // Sample i of a row of samples of the image's width.
        auto get = [sb](const uint8_t* at, size_t i) -> int32_t {
            if (sb == 1) return at[i];
            uint16_t v;
            std::memcpy(&v, at + 2 * i, 2);
            return v;
        };
        auto put = [sb](uint8_t* at, size_t i, int32_t v) {
            if (sb == 1) {
                at[i] = uint8_t(v);
                return;
            }
            const uint16_t u = uint16_t(v);
            std::memcpy(at + 2 * i, &u, 2);
        };
        for (int32_t y = d.rect.top; y < d.rect.bottom; ++y) {
            if (y < 0 || y >= img.height) continue;
            const uint8_t* row = &d.bytes[size_t(y - d.rect.top) * d.rowBytes];
            if (wholeRows) {
                std::memcpy(&img.pixels[(size_t(y) * img.width + d.rect.left) * ch * sb], row,
                            size_t(d.rect.right - d.rect.left) * ch * sb);
                continue;
            }
            for (int32_t x = d.rect.left; x < d.rect.right; ++x) {
                if (x < 0 || x >= img.width) continue;
                const size_t px = size_t(y) * img.width + x;
                for (int32_t p = 0; p < n; ++p) {
                    int32_t v = get(row, size_t(x - d.rect.left) * n + p);
                    if (masking) {
                        int32_t s = get(source.data(), px * ch + d.lo + p), m = img.mask[px];
                        v = s + ((v - s) * m + (v >= s ? 127 : -127)) / 255;
                    }
                    put(img.pixels.data(), px * ch + d.lo + p, v);
                }
            }
        }
    }

    // advanceState: takes back the output, then delivers what the record asks for now.
    OSErr exchange() {
        commit();
        FilterRecord& r = host.record_;
        const HostImage& img = host.image_;
        const int32_t ch = img.channels();
        const int32_t planes = r.planes;
        // Rates: 1.0 always; whole numbers above 1 when the host reports sampling support.
        auto rateOf = [&](Fixed rate) -> int32_t {
            if (rate == 0x10000) return 1;
            if (host.options_.samplingSupport == 0 || rate < 0x10000 || (rate & 0xFFFF) != 0)
                return 0;
            return rate >> 16;
        };
        const int32_t inRate = rectEmpty(r.inRect) ? 1 : rateOf(r.inputRate);
        const int32_t maskRate = !rectEmpty(r.maskRect) && r.haveMask ? rateOf(r.maskRate) : 1;
        if (inRate == 0 || maskRate == 0) {
            clearDelivered();
            return kHostInsufficient;
        }
        // Inside a run the input is the snapshot taken at start (or the image itself, read in
        // place), so it can be handed out in place; so can the output, except while the dialog
        // previews (start never commits) and when the host still has to blend the output with the
        // selection.
        const uint8_t* src = running && !source.empty() ? source.data() : img.pixels.data();
        const bool masking = r.autoMask && !img.mask.empty();
        const int32_t sb = img.sampleBytes();
        OSErr err = deliver(in, r.inRect, r.inLoPlane, r.inHiPlane, r.inputPadding, planes, ch, src,
                            inRate, running, sb);
        // The output of a preview is a reduced copy as well, at the input's rate.
        if (err == noErr)
            err = deliver(out, r.outRect, r.outLoPlane, r.outHiPlane, r.outputPadding, planes, ch,
                          img.pixels.data(), inRate, running && !inStart && !masking, sb);
        out.rate = inRate;
        if (err == noErr) {
            if (r.haveMask && !img.mask.empty())
                err = deliver(mask, r.maskRect, 0, 0, r.maskPadding, 1, 1, img.mask.data(),
                              maskRate, true);
            else
                mask = Delivered{};
        }
        if (err != noErr) {
            clearDelivered();
            return err;
        }
        publish();
        return noErr;
    }

    // After start: output handed out as a copy during start (where a preview may have
    // written into it) is handed out again in place when it can be, so that the first band is
    // not copied twice more. Nothing of the copy goes back into the image.
    void outputInPlaceAfterStart() {
        const FilterRecord& r = host.record_;
        if (out.direct || out.bytes.empty() || out.rate != 1 || !running) return;
        if (r.autoMask && !host.image_.mask.empty()) return;
        const HostImage& img = host.image_;
        if (deliver(out, out.rect, out.lo, out.hi, r.outputPadding, r.planes, img.channels(),
                    img.pixels.data(), 1, true, img.sampleBytes()) == noErr)
            publish();
        else
            clearDelivered();
    }

    void clearDelivered() {
        in = Delivered{};
        out = Delivered{};
        mask = Delivered{};
        publish();
    }

    void publish() {
        FilterRecord& r = host.record_;
        r.inData = in.data();
        r.inRowBytes = in.rowBytes;
        const int32_t sb = host.image_.sampleBytes();
        r.inColumnBytes = in.planes() > 0 ? in.planes() * sb : 0;
        r.inPlaneBytes = sb;
        r.outData = out.data();
        r.outRowBytes = out.rowBytes;
        r.outColumnBytes = out.planes() > 0 ? out.planes() * sb : 0;
        r.outPlaneBytes = sb;
        r.maskData = mask.data();
        r.maskRowBytes = mask.rowBytes;
    }

    // True when what the record asks for differs from what was delivered.
    bool requestChanged() const {
        const FilterRecord& r = host.record_;
        const bool wantMask = r.haveMask && !host.image_.mask.empty();
        return !sameRect(r.inRect, in.rect) || r.inLoPlane != in.lo || r.inHiPlane != in.hi ||
               !sameRect(r.outRect, out.rect) || r.outLoPlane != out.lo || r.outHiPlane != out.hi ||
               (wantMask && !sameRect(r.maskRect, mask.rect));
    }

    static MemoryHost& active() { return *gActive; }
};

// [SECTION] HostImage

HostImage HostImage::make(int32_t width, int32_t height, int32_t colourPlanes, bool alpha,
                          int32_t depth) {
    HostImage img;
    img.width = width;
    img.height = height;
    img.colourPlanes = colourPlanes;
    img.hasAlpha = alpha;
    img.depth = depth;
    img.pixels.assign(size_t(width) * height * img.channels() * img.sampleBytes(), 0);
    return img;
}

// [SECTION] MemoryHost

MemoryHost::MemoryHost(HostImage image, MemoryHostOptions options)
    : image_(std::move(image)), options_(options), impl_(std::make_unique<Impl>(*this)) {
    if (image_.width < 1 || image_.height < 1 || image_.width > 30000 || image_.height > 30000)
        throw std::invalid_argument("image size must be 1 to 30000 pixels on each side");
    if (image_.colourPlanes != 1 && image_.colourPlanes != 3)
        throw std::invalid_argument("images are grey (1 plane) or RGB (3 planes)");
    if (image_.depth != 8 && image_.depth != 16)
        throw std::invalid_argument("images have 8 or 16 bits a sample");
    if (image_.pixels.size() !=
        size_t(image_.width) * image_.height * image_.channels() * image_.sampleBytes())
        throw std::invalid_argument("pixel buffer does not match the image size");
    if (!image_.mask.empty() && image_.mask.size() != size_t(image_.width) * image_.height)
        throw std::invalid_argument("mask does not match the image size");

    Impl& m = *impl_;
    m.handleProcs.handleProcsVersion = options_.handleProcsVersion;
    m.handleProcs.numHandleProcs = options_.handleProcsCount;
    m.handleProcs.newProc = &Impl::newHandle;
    m.handleProcs.disposeProc = &Impl::disposeHandle;
    m.handleProcs.getSizeProc = &Impl::getSize;
    m.handleProcs.setSizeProc = &Impl::setSize;
    m.handleProcs.lockProc = &Impl::lockHandle;
    m.handleProcs.unlockProc = &Impl::unlockHandle;
    m.handleProcs.recoverSpaceProc = &Impl::recoverSpace;
    m.handleProcs.disposeRegularHandleProc = &Impl::disposeHandle;

    m.bufferProcs.bufferProcsVersion = options_.bufferProcsVersion;
    m.bufferProcs.numBufferProcs = options_.bufferProcsCount;
    m.handleProcs.getSizeProc = options_.sizeProc ? &Impl::getSize : nullptr;
    m.bufferProcs.allocateProc = &Impl::allocateBuffer;
    m.bufferProcs.lockProc = &Impl::lockBuffer;
    m.bufferProcs.unlockProc = &Impl::unlockBuffer;
    m.bufferProcs.freeProc = &Impl::freeBuffer;
    m.bufferProcs.spaceProc = &Impl::bufferSpace;
    m.bufferProcs.reserveProc = &Impl::reserveSpace;
    m.bufferProcs.allocateProc64 = &Impl::allocateBuffer64;
    m.bufferProcs.spaceProc64 = &Impl::bufferSpace64;

    FilterRecord& r = record_;
    std::memset(&r, 0, sizeof r);
    const bool alphaPlane = options_.exposeAlpha && image_.hasAlpha;
    r.imageSize = Point{int16_t(image_.height), int16_t(image_.width)};
    r.wholeSize = r.imageSize;
    r.planes = int16_t(image_.colourPlanes + (alphaPlane ? 1 : 0));
    r.filterRect = Rect{0, 0, int16_t(image_.height), int16_t(image_.width)};
    r.background = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    r.foreground = RGBColor{0, 0, 0};
    r.backColor[0] = r.backColor[1] = r.backColor[2] = 255;
    r.maxSpace = 256 << 20;
    r.haveMask = image_.mask.empty() ? 0 : 1;
    r.autoMask = 1;
    r.hostSig = options_.hostSignature;
    const bool deep = image_.depth == 16;
    r.imageMode = image_.colourPlanes == 1 ? (deep ? plugInModeGray16 : plugInModeGrayScale)
                                           : (deep ? plugInModeRGB48 : plugInModeRGBColor);
    r.depth = image_.depth;
    r.imageHRes = r.imageVRes = 72 << 16;
    r.monitor.gamma = 0x0001CCCD;  // 1.8
    r.platformData = &m.platform;
    r.filterCase = int16_t(alphaPlane ? (r.haveMask ? 5 : 4) : (r.haveMask ? 2 : 1));
    r.dummyPlaneValue = -1;
    r.supportsPadding = 1;
    r.inputPadding = r.outputPadding = r.maskPadding = -3;
    r.inputRate = r.maskRate = 0x10000;
    r.inLayerPlanes = r.outLayerPlanes = int16_t(image_.colourPlanes);
    r.inTransparencyMask = r.outTransparencyMask = alphaPlane ? 1 : 0;
    r.absLayerPlanes = int16_t(image_.colourPlanes);
    applySwitches();
}

MemoryHost::~MemoryHost() {
    for (auto& kv : impl_->handles) delete[] kv.second->data;
}

void MemoryHost::applySwitches() {
    FilterRecord& r = record_;
    Impl& m = *impl_;
    m.handleProcs.handleProcsVersion = options_.handleProcsVersion;
    m.handleProcs.numHandleProcs = options_.handleProcsCount;
    m.bufferProcs.bufferProcsVersion = options_.bufferProcsVersion;
    m.bufferProcs.numBufferProcs = options_.bufferProcsCount;
    m.handleProcs.getSizeProc = options_.sizeProc ? &Impl::getSize : nullptr;
    r.handleProcs = options_.handleProcs ? &m.handleProcs : nullptr;
    r.bufferProcs = options_.bufferProcs ? &m.bufferProcs : nullptr;
    r.advanceState = options_.advanceState ? &Impl::advanceState : nullptr;
    r.progressProc = options_.progressProc ? &Impl::progress : nullptr;
    r.abortProc = options_.abortProc ? &Impl::testAbort : nullptr;
    r.displayPixels = options_.displayPixels ? &Impl::displayPixels : nullptr;
    r.colorServices = options_.colorServices ? &Impl::colorServices : nullptr;
    r.samplingSupport = options_.samplingSupport;
}

void MemoryHost::setFilterRect(const Rect& r) { record_.filterRect = r; }

MemoryHost* MemoryHost::active() { return gActive; }

MemoryHost::ActiveScope::ActiveScope(MemoryHost& host) : previous_(gActive) {
    host.applySwitches();
    gActive = &host;
}
MemoryHost::ActiveScope::~ActiveScope() { gActive = previous_; }

size_t MemoryHost::liveHandles() const { return impl_->handles.size(); }
int MemoryHost::handlesAllocated() const { return impl_->handleAllocations; }
size_t MemoryHost::liveBuffers() const { return impl_->buffers.size(); }
bool MemoryHost::ownsHandle(Handle h) const { return impl_->handles.count(h) != 0; }
bool MemoryHost::resizeHandle(Handle h, int32_t size) {
    MemoryHost* previous = gActive;
    gActive = this;
    bool ok = Impl::setSize(h, size) == noErr;
    gActive = previous;
    return ok;
}
int32_t MemoryHost::handleLocks(Handle h) const {
    auto it = impl_->handles.find(h);
    return it == impl_->handles.end() ? 0 : it->second->locks;
}

namespace {

// Makes a host the running one for the callbacks, for one call.
struct Activate {
    MemoryHost* previous;
    explicit Activate(MemoryHost* h) : previous(MemoryHost::active()) { gActive = h; }
    ~Activate() { gActive = previous; }
};

}  // namespace

int16_t MemoryHost::call(PluginEntryProc entry, int16_t selector) {
    Activate activate(this);
    applySwitches();
    Impl& m = *impl_;
    result_ = options_.resultBeforeCall;
    if (selector == filterSelectorAbout) {
        AboutRecord about{};
        about.platformData = &m.platform;
        entry(selector, &about, &data_, &result_);
        return result_;
    }
    if (selector == filterSelectorStart) {
        // Reading in place leaves the copy out; a selection needs it (the host blends
        // the output with the input).
        if (options_.inputInPlace && image_.mask.empty())
            std::vector<uint8_t>().swap(m.source);
        else
            m.source = image_.pixels;
        m.running = true;
        m.clearDelivered();
    }
    m.inStart = selector == filterSelectorStart;
    entry(selector, &record_, &data_, &result_);
    m.inStart = false;
    if (selector == filterSelectorStart || selector == filterSelectorContinue) {
        // The output of the last band goes back into the image (start composites nothing:
        // what it was handed last is the dialog's preview or the untouched first row);
        // without advanceState the host now delivers what the module asked for.
        if (selector == filterSelectorContinue) m.commit();
        FilterRecord& r = record_;
        bool done = rectEmpty(r.inRect) && rectEmpty(r.outRect) && rectEmpty(r.maskRect);
        if (done || result_ != noErr) {
            m.clearDelivered();
        } else if (!r.advanceState || m.requestChanged()) {
            OSErr err = m.exchange();
            if (err != noErr && result_ == noErr) result_ = err;
        } else if (selector == filterSelectorStart) {
            m.outputInPlaceAfterStart();
        }
    }
    return result_;
}

int16_t MemoryHost::runFilter(PluginEntryProc entry, bool showDialog) {
    progress_.clear();
    advanceCalls_ = continueCalls_ = abortPolls_ = 0;
    using Sent = MemoryHostOptions::ParametersSelector;
    if (!options_.keepParameters && record_.parameters) {
        Activate activate(this);
        Impl::disposeHandle(record_.parameters);
        record_.parameters = nullptr;
    }
    if (!options_.keepSession) data_ = 0;
    const Sent sent = options_.parametersSelector;
    if (sent == Sent::EveryRun || (sent == Sent::WhenAsked && showDialog)) {
        const int16_t r = call(entry, filterSelectorParameters);
        if (r != noErr) return r;
    }
    int16_t r = call(entry, filterSelectorPrepare);
    if (r != noErr) return r;
    if (options_.moveFilterRectAfterPrepare) record_.filterRect = options_.filterRectAfterPrepare;
    if (afterPrepare) afterPrepare(*this);
    if ((r = call(entry, filterSelectorStart)) != noErr) return r;
    for (;;) {
        const FilterRecord& rec = record_;
        if (rectEmpty(rec.inRect) && rectEmpty(rec.outRect) && rectEmpty(rec.maskRect)) break;
        if (++continueCalls_ > options_.maxContinueCalls) return kHostInsufficient;
        if ((r = call(entry, filterSelectorContinue)) != noErr) return r;
    }
    return call(entry, filterSelectorFinish);
}

}  // namespace rx
