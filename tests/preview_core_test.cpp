// The preview's window-free part against the in-memory host: the source request at a
// reduced rate, fit scale and zoom steps, panning with the plain copy,
// and the render loop (a 1:1 preview shows the final render through the selection fade;
// a stale mask offset is not used).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/memory_host.h"
#include "host/band_loop.h"
#include "host/default_record.h"
#include "host/session.h"
#include "host_test_support.h"
#include "ui/preview_core.h"

namespace rx {
namespace {

using testing::patternImage;

// The dialog's preview frame (control 18) in client pixels.
constexpr Rect kFrame = {0, 401, 253, 707};

// A session on the memory host's record as the start selector leaves it for the dialog:
// settings with their defaults, a work buffer, the lens table sized by the prepare step.
struct PreviewRig {
    MemoryHost host;
    std::unique_ptr<SunParameters> params{new SunParameters()};
    char* paramsPointer = nullptr;
    std::unique_ptr<WorkBuffer> work{new WorkBuffer()};
    std::vector<int32_t> lens;
    FilterSession session{};
    int16_t result = 0;
    MemoryHost::ActiveScope active{host};

    explicit PreviewRig(HostImage image, MemoryHostOptions options = {})
        : host(std::move(image), options) {
        ApplyDefaults(*params);  // on a zero-filled record
        paramsPointer = reinterpret_cast<char*>(params.get());
        FilterRecord& rec = host.record();
        rec.parameters = &paramsPointer;
        session.result = &result;
        session.filterRecord = &rec;
        session.workBuffer = work.get();
        PrepareBands(session);
        lens.assign(size_t(session.lensCapacity), 0);
        session.lensTable = lens.data();
        SunParameters& p = *params;
        p.sunCenterX = host.image().width / 2;
        p.sunCenterY = host.image().height / 2;
        p.previewRendering = p.hostPreview = 1;
        p.dragControl = -1;
    }
    ~PreviewRig() { EndRender(session); }
    SunParameters& p() { return *params; }
    FilterRecord& rec() { return host.record(); }
    int32_t width(const Rect& r) const { return r.right - r.left; }
    const uint8_t* outAt(int32_t x, int32_t y) {
        const FilterRecord& r = host.record();
        return static_cast<const uint8_t*>(r.outData) + y * r.outRowBytes + x * r.planes;
    }
    const uint8_t* inAt(int32_t x, int32_t y) {
        const FilterRecord& r = host.record();
        return static_cast<const uint8_t*>(r.inData) + y * r.inRowBytes + x * r.planes;
    }
};

// The zoom buttons' scale steps, their enabled states and the way back to the fit scale are
// the Wine dialog test's; here the source request behind each step.
TEST(PreviewSource, WideImageFitsAtScaleTenAndZoomsInAroundTheMiddle) {
    PreviewRig rig(patternImage(3000, 200, 3));
    startPreview(rig.session, kFrame);
    ASSERT_EQ(rig.result, 0);
    const Rect& area = rig.session.previewArea;
    EXPECT_EQ(area.right - area.left, 302);
    EXPECT_EQ(area.bottom - area.top, 200);  // cut to the image
    EXPECT_EQ(rig.session.fitScale, 10);
    EXPECT_EQ(int32_t(rig.rec().inputRate), 10 << 16);
    EXPECT_EQ(rig.width(rig.rec().inRect), 300);
    EXPECT_EQ(rig.session.renderWidth, 300);
    EXPECT_EQ(rig.session.renderHeight, 20);
    char text[16];
    zoomPercentText(rig.session, text, sizeof text);
    EXPECT_STREQ(text, "10%");
    for (int32_t expected = 9; expected >= 1; --expected) {
        ASSERT_TRUE(zoomCommand(rig.session, ui::idZoomIn));
        ASSERT_EQ(rig.result, 0);
        EXPECT_LE(rig.width(rig.rec().inRect), 302);
        EXPECT_EQ(int32_t(rig.rec().inputRate), expected << 16);
    }
    zoomPercentText(rig.session, text, sizeof text);
    EXPECT_STREQ(text, "100%");
    // Zoomed in around the middle of the image: the view is centred there.
    EXPECT_NEAR(rig.p().previewOriginH + 151, 1500, 30);  // truncation drifts a little per step
}

TEST(PreviewSource, SmallImagesAndHostsWithoutSamplingStayAtOneToOne) {
    for (bool sampling : {true, false}) {
        MemoryHostOptions o;
        o.samplingSupport = sampling;
        PreviewRig rig(patternImage(sampling ? 120 : 1200, 90, 3), o);
        EXPECT_EQ(previewPossible(rig.session), sampling);
        startPreview(rig.session, kFrame);
        EXPECT_EQ(rig.session.fitScale, 1);
        EXPECT_EQ(int32_t(rig.rec().inputRate), 1 << 16);
        updateZoomFlags(rig.session);
        EXPECT_EQ(rig.work->controlEnabled[ui::idZoomIn] | rig.work->controlEnabled[ui::idZoomOut],
                  0);
        const int64_t before = rig.host.advanceStateCalls();
        // A small image still re-renders on reset; a fixed zoom has nothing to change.
        EXPECT_EQ(zoomCommand(rig.session, ui::idZoomReset), sampling);
        EXPECT_EQ(rig.host.advanceStateCalls(), before + (sampling ? 1 : 0));
    }
}

// A click placing the centre and one pixel of pan moving three image pixels at scale 3 are
// the Wine dialog test's.
TEST(PreviewPan, StaysInsideTheImageAndShowsThePlainCopy) {
    for (bool masked : {false, true}) {
        SCOPED_TRACE(masked ? "left half unselected" : "no selection");
        HostImage img = patternImage(1200, 900, 3);
        for (size_t i = 0; masked && i < size_t(1200) * 900; ++i)
            img.mask.push_back(i % 1200 < 600 ? 0 : 255);
        PreviewRig rig(std::move(img));
        startPreview(rig.session, kFrame);
        ASSERT_TRUE(zoomCommand(rig.session, ui::idZoomIn));
        ASSERT_EQ(rig.p().previewScale, 3);
        rig.p().previousMouse = Point{100, 500};
        EXPECT_FALSE(panStep(rig.session, 500, 100));  // no travel, nothing to show

        // Dragging far beyond the image keeps the origins inside it.
        EXPECT_TRUE(panStep(rig.session, -2000, -2000));
        EXPECT_TRUE(rig.p().previewOriginH == (1200 / 3 - 302) * 3 &&
                    rig.p().previewOriginV == (900 / 3 - 249) * 3);
        EXPECT_TRUE(panStep(rig.session, 2000, 2000));
        EXPECT_TRUE(rig.p().previewOriginH == 0 && rig.p().previewOriginV == 0);

        // While panning the preview shows the plain image, slightly darkened (x 255 / 256).
        // Preview column x shows image column 3x: unselected left of 200, where it shows a
        // checkerboard of light and darker (204 * 255 / 256) squares.
        for (int32_t x : {0, 100, 250, 301})
            for (int c = 0; c < 3 && (!masked || x >= 200); ++c)
                EXPECT_EQ(rig.outAt(x, 10)[c], rig.inAt(x, 10)[c] * 255 / 256) << x;
        if (masked) {
            EXPECT_EQ(rig.outAt(0, 0)[0], 254);
            EXPECT_EQ(rig.outAt(8, 0)[1], 203);
            EXPECT_EQ(rig.outAt(8, 8)[2], 254);
        }
    }
}

// Renders the whole image through the entry point, as the host's final run does.
std::vector<uint8_t> finalRender(HostImage image, const SunParameters& settings) {
    MemoryHost host(std::move(image));
    host.afterPrepare = [&](MemoryHost& h) {
        auto* p = static_cast<SunParameters*>(h.parameters());
        std::memcpy(p, &settings, sizeof settings);
        p->dialogPending = 0;
        p->previewRendering = 0;
        p->previewScale = 1;
    };
    EXPECT_EQ(host.runFilter(&ENTRYPOINT), 0);
    return host.image().pixels;
}

// The preview renders whole although the host's abort procedure says stop (a key the user
// pressed for the host's own progress bar), and it shows no progress.
TEST(PreviewRender, OneToOnePreviewShowsTheFinalRender) {
    PreviewRig rig(patternImage(180, 140, 3));
    rig.p().sunRadius = 30;
    rig.p().spikeCount = 6;
    rig.host.onAbort = [] { return true; };
    startPreview(rig.session, kFrame);
    ASSERT_EQ(rig.p().previewScale, 1);
    renderPreviewRows(rig.session);
    ASSERT_EQ(rig.result, 0);
    EXPECT_TRUE(rig.host.progressCalls().empty());
    const std::vector<uint8_t> expected = finalRender(patternImage(180, 140, 3), rig.p());
    size_t differing = 0, changed = 0;
    for (int32_t y = 0; y < 140; ++y)
        for (int32_t x = 0; x < 180; ++x)
            for (int c = 0; c < 3; ++c) {
                const uint8_t v = rig.outAt(x, y)[c];
                // The preview writes each byte through the selection fade: r * 255 >> 8
                // where everything is selected.
                differing += v != (expected[(size_t(y) * 180 + x) * 3 + c] * 255 >> 8);
                changed += v != rig.host.image().at(x, y)[c];
            }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(changed, 180u * 140u);  // the sun is there
}

TEST(PreviewRender, ReadsTheMaskFromTheTopOfTheRequestedArea) {
    // A fully selected mask gives the same picture as no mask at all, also after a final
    // render's band loop left behind the mask band of its last row.
    auto render = [](bool mask) {
        HostImage img = patternImage(1200, 900, 3);
        if (mask) img.mask.assign(size_t(1200) * 900, 255);
        PreviewRig rig(std::move(img));
        rig.p().sunRadius = 40;
        startPreview(rig.session, kFrame);
        rig.session.maskBandTop = 897;
        renderPreviewRows(rig.session);
        EXPECT_EQ(rig.result, 0);
        const auto* out = static_cast<const uint8_t*>(rig.rec().outData);
        return std::vector<uint8_t>(out, out + rig.rec().outRowBytes * rig.session.renderHeight);
    };
    EXPECT_EQ(render(true), render(false));
}

TEST(PreviewRender, RowCursorLeftBeyondASmallerAreaStartsAtTheTop) {
    PreviewRig rig(patternImage(1200, 900, 1));
    startPreview(rig.session, kFrame);
    rig.session.nextRow = 240;  // an interrupted render of a taller area
    ASSERT_TRUE(zoomCommand(rig.session, ui::idZoomOut) || zoomCommand(rig.session, ui::idZoomIn));
    rig.session.nextRow = rig.session.renderHeight + 5;
    renderPreviewRows(rig.session);
    EXPECT_EQ(rig.result, 0);
    EXPECT_EQ(rig.session.nextRow, 0);
}

// A 16-bit image's preview, with a soft selection, at a reduced scale, as displayPixels is
// handed it (reduced to 8 bits), and its plain copy while panning: the 8-bit image's within
// one step for the copy and two for the render (the blend's step and the fade's own
// rounding).
TEST(PreviewRender, SixteenBitPreviewShowsTheEightBitPreview) {
    auto shown = [](int32_t depth, bool plainCopy) {
        const HostImage narrow = patternImage(900, 700, 3);
        HostImage img = HostImage::make(900, 700, 3, false, depth);
        for (int32_t y = 0; y < 700; ++y)
            for (int32_t x = 0; x < 900; ++x)
                img.mask.push_back(uint8_t(std::min(255, std::abs(x - 450) + std::abs(y - 350))));
        for (size_t i = 0; i < narrow.pixels.size(); ++i) {
            const uint16_t v = uint16_t(narrow.pixels[i] * 257);  // n in either byte
            std::memcpy(&img.pixels[i * depth / 8], &v, size_t(depth / 8));
        }
        PreviewRig rig(std::move(img));
        rig.p().sunRadius = 40;
        rig.p().blendMode = 10;
        startPreview(rig.session, kFrame);
        EXPECT_EQ(rig.p().previewScale, 3);
        if (plainCopy)
            copyPlainPreview(rig.session);
        else
            renderPreviewRows(rig.session);
        EXPECT_EQ(rig.result, 0);
        std::vector<uint8_t> reduced;
        const PSPixelMap map = previewPixelMap(rig.session, reduced);
        EXPECT_EQ(map.imageMode, plugInModeRGBColor);
        const int32_t w = map.bounds.right - map.bounds.left,
                      h = map.bounds.bottom - map.bounds.top;
        std::vector<uint8_t> bytes;
        for (int32_t y = 0; y < h; ++y) {
            const auto* row = static_cast<const uint8_t*>(map.baseAddr) + y * map.rowBytes;
            bytes.insert(bytes.end(), row, row + w * 3);
        }
        return bytes;
    };
    for (bool plainCopy : {false, true}) {
        const std::vector<uint8_t> deep = shown(16, plainCopy), narrow = shown(8, plainCopy);
        ASSERT_EQ(deep.size(), narrow.size());
        int32_t worst = 0;
        for (size_t i = 0; i < deep.size(); ++i)
            worst = std::max(worst, std::abs(deep[i] - narrow[i]));
        EXPECT_LE(worst, plainCopy ? 1 : 2) << (plainCopy ? "plain copy" : "render");
    }
}

}  // namespace
}  // namespace rx
