// The settings dialog's control model and control arithmetic, checked without a window.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <set>
#include <vector>

#include "ui/control_model.h"

using namespace rx;
using namespace rx::ui;

namespace {

PixelRect rectOf(int id) {
    PixelRect r{};
    EXPECT_TRUE(layoutRect(id, &r)) << "id " << id;
    return r;
}

bool overlap(const PixelRect& a, const PixelRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

// Every slider, toggle and mode setting of the setting table has one control of its kind
// (a slider with its value box and label), and the dialog has no control of a setting
// that is not in the table.
TEST(DialogControls, EverySettingOfTheTableHasItsControl) {
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    std::set<const SettingInfo*> shown;
    int valueBoxes = 0;
    for (int id = 0; id < kControls; ++id) {
        valueBoxes += controlKind(id) == kindValueBox;
        const SettingInfo* s = controlSettingInfo(id);
        if (!s) continue;
        EXPECT_TRUE(shown.insert(s).second) << s->name;
        const bool slider = s->kind == SettingKind::Slider || s->kind == SettingKind::Count;
        EXPECT_EQ(controlKind(id), slider                           ? kindSlider
                                   : s->kind == SettingKind::Toggle ? kindToggle
                                                                    : kindModePicker)
            << s->name;
        if (!slider) continue;
        const int box = valueBoxOf(id);
        EXPECT_EQ(controlKind(box), kindValueBox) << s->name;
        EXPECT_EQ(describeControl(box).id, id);
        EXPECT_FALSE(isSlider(box) || isCapturable(box));  // a value box is never dragged
    }
    int expected = 0, sliders = 0;
    for (size_t i = 0; i < n; ++i) {
        const SettingKind k = table[i].kind;
        sliders += k == SettingKind::Slider || k == SettingKind::Count;
        if (k == SettingKind::Slider || k == SettingKind::Count || k == SettingKind::Toggle ||
            k == SettingKind::Mode) {
            ++expected;
            EXPECT_TRUE(shown.count(&table[i])) << table[i].name << " has no control";
        }
    }
    EXPECT_EQ(int(shown.size()), expected);
    EXPECT_EQ(valueBoxes, sliders);
    EXPECT_EQ(integerControlCount(), expected + 1);  // and Auto Preview

    // Labels, ranges and value-box colours come from the table.
    EXPECT_STREQ(labelText(44), "Swirl count");
    EXPECT_STREQ(labelText(49), "Vortices");
    EXPECT_STREQ(labelText(31), "Auto Preview");
    EXPECT_STREQ(labelText(idStatusLine), "");
    EXPECT_EQ(controlKind(idStatusLine), kindLabel);
    EXPECT_EQ(valueBoxColour(90), 0xC9D8D8u);  // halo
    EXPECT_EQ(valueBoxColour(86), 0xE4D8D8u);  // sun
    for (int id : {idAutoPreview, idVortices, idMonopoles, idBowInvert}) {
        EXPECT_TRUE(isToggle(id) && isCapturable(id)) << id;
        EXPECT_EQ(describeControl(id).pictures[3], picToggleOnPressed) << id;
    }
    EXPECT_TRUE(isCapturable(idFlarePad) && isCapturable(idSpikePad));
    EXPECT_FALSE(isCapturable(idBlendPicker));
    EXPECT_EQ(describeControl(59).pictures[0], picTrackCool);  // bow radius, among warm ones
    EXPECT_EQ(controlKind(idOk), kindNone);
}

TEST(DialogControls, LayoutFitsTheBackgroundWithoutOverlaps) {
    // Sliders are 135 by 12, value boxes 24 by 12 five pixels right of them; no two
    // controls overlap (the pointer would find the wrong one) and all lie in the client area.
    std::vector<int> placed;
    for (int id = 0; id < kControls; ++id) {
        PixelRect r;
        if (!layoutRect(id, &r)) continue;
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= kClientWidth &&
                    r.bottom <= kClientHeight)
            << id;
        for (int other : placed) EXPECT_FALSE(overlap(r, rectOf(other))) << id << " " << other;
        placed.push_back(id);
        if (!isSlider(id)) continue;
        EXPECT_EQ(r.width(), 135) << id;
        EXPECT_EQ(r.height(), 12) << id;
        const PixelRect b = rectOf(valueBoxOf(id));
        EXPECT_EQ(b.left, r.right + 5);
        EXPECT_EQ(b.width(), 24);
        EXPECT_EQ(b.top, r.top);
        EXPECT_EQ(b.bottom, r.bottom);
    }
    // A derived label: 30 wide, 6 left of its slider, 16 high.
    const PixelRect label = rectOf(36);
    EXPECT_EQ(label.left, 69);
    EXPECT_EQ(label.top, 19);
    EXPECT_EQ(label.right, 99);
    EXPECT_EQ(label.bottom, 35);
    PixelRect none;
    EXPECT_FALSE(layoutRect(0, &none));
}

TEST(DialogControls, ControlAtFindsOnlyInteractiveControls) {
    // Right edges are excluded; value boxes, labels and the colour swatches (real buttons)
    // are not found.
    const struct {
        int x, y, id;
    } hits[] = {{105, 19, 37},  {239, 30, 37},  {240, 30, -1},  {250, 20, -1},
                {80, 20, -1},   {290, 20, -1},  {500, 100, 18}, {350, 200, 100},
                {670, 430, 73}, {580, 270, 30}, {0, 0, -1}};
    for (const auto& h : hits) EXPECT_EQ(controlAt(h.x, h.y), h.id) << h.x << "," << h.y;
}

TEST(DialogControls, LoadStoreRangesAndSnapshot) {
    SunParameters p{};
    int32_t n = 1;
    for (int id = 0; id < kControls; ++id)
        if (int32_t* f = controlSetting(p, id)) *f = n++;
    EXPECT_EQ(controlSetting(p, 37), &p.sunRadius);
    EXPECT_EQ(controlSetting(p, 103), &p.bowSmear);
    EXPECT_EQ(reinterpret_cast<void*>(controlSetting(p, idAutoPreview)), &p.autoPreview);

    ControlTables t;
    fillPictureTables(t);
    EXPECT_EQ(t.imageOnPressed[idVortices], picToggleOnPressed);
    EXPECT_EQ(t.image[0], picNone);
    setSliderRanges(t);
    EXPECT_EQ(t.maximum[37], 100);
    EXPECT_EQ(t.maximum[86], 0);  // value boxes get no range

    loadControls(t, p);
    SunParameters q{};
    storeControls(t, q);
    for (int id = 0; id < kControls; ++id)
        if (int32_t* f = controlSetting(p, id)) {
            EXPECT_EQ(*controlSetting(q, id), *f) << id;
        }

    // Cancel puts back colours, numbers, seed and vectors but not the blend mode, Auto
    // Preview or the sun centre.
    p.sunColor = {1, 2, 3};
    p.extraColor = {4, 5, 6};
    p.seed = 77;
    p.flareVector = {0.5f, -0.25f, -1.0f};
    const SettingsSnapshot s = takeSnapshot(p);
    SunParameters changed = p;
    changed.sunColor = changed.extraColor = {9, 9, 9};
    changed.spikeBrightness = changed.spikeDetail = 99;
    changed.seed = 5;
    changed.flareVector = changed.spikeVector = {1, 1, 1};
    changed.blendMode = 7;
    changed.autoPreview = 0;
    changed.sunCenterX = 123;
    restoreSnapshot(s, changed);
    EXPECT_EQ(changed.sunColor.blue, 3);
    EXPECT_EQ(changed.extraColor.red, 4);
    EXPECT_EQ(changed.spikeBrightness, p.spikeBrightness);
    EXPECT_EQ(changed.spikeDetail, p.spikeDetail);
    EXPECT_EQ(changed.seed, 77);
    EXPECT_EQ(changed.flareVector.z, -1.0f);
    EXPECT_EQ(changed.spikeVector.x, 0.0f);
    EXPECT_EQ(changed.blendMode, 7);
    EXPECT_EQ(changed.autoPreview, 0u);
    EXPECT_EQ(changed.sunCenterX, 123);
}

TEST(DialogControls, SliderThumbAndValue) {
    const PixelRect s{105, 19, 240, 31};
    EXPECT_EQ(sliderThumbLeft(s, 0, 0, 100), 106);
    EXPECT_EQ(sliderThumbLeft(s, 100, 0, 100), 105 + 121);  // touches the track's end
    EXPECT_EQ(sliderThumbLeft(s, 5, 5, 5), 106);            // empty range counts as 1
    // ((x - 4 - left - 1) * 100) / 121, truncated toward zero, clipped to the range.
    const struct {
        int x, value;
    } values[] = {{109, 0}, {110, 0}, {0, 0}, {231, 100}, {230, 99}, {700, 100}, {170, 6000 / 121}};
    for (const auto& v : values) EXPECT_EQ(sliderValueAt(s, v.x, 0, 100), v.value) << v.x;
    // The value a press gives draws the 12-pixel thumb under the pointer: the pointer
    // sits 2 to 6 pixels in from the thumb's left edge along the whole track.
    for (int x = 109; x <= 231; ++x) {
        const int thumb = sliderThumbLeft(s, sliderValueAt(s, x, 0, 100), 0, 100);
        EXPECT_GE(x - thumb, 2) << x;
        EXPECT_LE(x - thumb, 6) << x;
    }
}

TEST(DialogControls, ToggleStates) {
    // Press, leave, come back, release inside: flips once.
    int32_t v = 0;
    v = toggleTrack(v, true);
    EXPECT_EQ(v, kTogglePressed);
    v = toggleTrack(v, false);
    EXPECT_EQ(v, 0);
    v = toggleTrack(v, true);
    bool flipped = false;
    v = toggleRelease(v, &flipped);
    EXPECT_TRUE(flipped);
    EXPECT_EQ(v, 1);
    // Released outside: unchanged.
    v = toggleRelease(toggleTrack(v, false), &flipped);
    EXPECT_FALSE(flipped);
    EXPECT_EQ(v, 1);
    v = toggleRelease(toggleTrack(v, true), &flipped);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(toggleTrack(0x1FF, false), 0xFD);  // only the low 8 bits are kept
}

TEST(DialogControls, DirectionPad) {
    const PixelRect pad{308, 152, 393, 237};
    Vector3f v{0.3f, 0.3f, -2.0f};
    padVectorAt(pad, 308 + 43, 152 + 41, &v);
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, -2.0f);  // z is only read
    padVectorAt(pad, 308 + 43 + 66, 152 + 41, &v);
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 0.0f);
    padVectorAt(pad, 308 + 43, 152 + 41 + 11, &v);  // inside 33 pixels: linear
    EXPECT_FLOAT_EQ(v.y, 1.0f / 3.0f);
    padVectorAt(pad, 308 + 43 - 30, 152 + 41 - 40, &v);  // beyond: unit length
    EXPECT_FLOAT_EQ(v.x, -0.6f);
    EXPECT_FLOAT_EQ(v.y, -0.8f);

    const PixelPoint centre = padKnob(pad, Vector3f{0, 0, 0});
    EXPECT_EQ(centre.x, 308 + 42);
    EXPECT_EQ(centre.y, 152 + 41);
    const PixelPoint k = padKnob(pad, Vector3f{-1.0f, 0.5f, 0});
    EXPECT_EQ(k.x, 308 + 42 - 33);
    EXPECT_EQ(k.y, 152 + 41 + 16);
    EXPECT_EQ(padLineStart(pad).x, 349);
    EXPECT_EQ(padLineStart(pad).y, 192);
    EXPECT_EQ(padLineColour(Vector3f{0, 0, 0}), 0x00FFFFu);      // yellow
    EXPECT_EQ(padLineColour(Vector3f{0, 0, -0.1f}), 0xFF00FFu);  // magenta
}

TEST(DialogControls, TextPlacementCentringAndValueText) {
    // A 16-pixel label drawn with offset -2: the text's top 2 above the label's top; a
    // 12-pixel value box with offset -1: 3 above. Right-aligned text may overhang left.
    const struct {
        PixelRect r;
        int align, width, offset, x, y;
    } texts[] = {{{69, 19, 99, 35}, alignRight, 20, -2, 79, 17},
                 {{69, 19, 99, 35}, alignRight, 50, -2, 49, 17},
                 {{245, 19, 269, 31}, alignCentre, 13, -1, 250, 16},
                 {{0, 0, 100, 30}, alignLeft, 40, 0, 0, -1}};  // y -1: not checked
    for (const auto& t : texts) {
        const PixelPoint o = textOrigin(t.r, t.align, t.width, t.offset);
        EXPECT_EQ(o.x, t.x) << t.r.left << " " << t.width;
        if (t.y >= 0) {
            EXPECT_EQ(o.y, t.y) << t.r.left << " " << t.width;
        }
    }
    // Over a large parent: a third of the way down, shifted left by the caption shift.
    // Larger than the parent: at its left minus the shift, never off-screen. Past the
    // screen's right or bottom edge: pulled back inside.
    const struct {
        PixelRect parent;
        int w, h, x, y;
    } dialogs[] = {{{100, 100, 1100, 900}, 400, 300, 100 + 300 - 12, 100 + 500 / 3},
                   {{200, 50, 400, 150}, 723, 547, 188, 50},
                   {{0, 0, 300, 200}, 723, 547, 0, 0},
                   {{1800, 1000, 1900, 1060}, 400, 300, 1520, 780}};
    for (const auto& d : dialogs) {
        const PixelPoint p = centredDialogOrigin(d.parent, d.w, d.h, 12, 1920, 1080);
        EXPECT_EQ(p.x, d.x) << d.parent.left;
        EXPECT_EQ(p.y, d.y) << d.parent.left;
    }
    PixelPoint p = centredOnParent({100, 100, 500, 300}, 200, 100);
    EXPECT_EQ(p.x, 200);
    EXPECT_EQ(p.y, 150);
    p = centredOnParent({0, 0, 100, 100}, 300, 300);
    EXPECT_EQ(p.x | p.y, 0);

    char s[12];
    for (int32_t v : {0, 100, -7, INT32_MIN}) {
        valueText(v, s);
        EXPECT_EQ(std::string(s), std::to_string(v));
    }
}

// The committed artwork has the sizes the dialog lays out.
TEST(DialogArtwork, PicturesHaveTheirLayoutSizes) {
    struct Size {
        const char* file;
        int w, h;
    };
    const Size sizes[] = {
        {"background.bmp", 707, 508},      {"track_cool.bmp", 135, 12},
        {"track_warm.bmp", 135, 12},       {"thumb.bmp", 12, 10},
        {"thumb_disabled.bmp", 12, 10},    {"toggle_off.bmp", 10, 10},
        {"toggle_on.bmp", 10, 10},         {"toggle_off_pressed.bmp", 10, 10},
        {"toggle_on_pressed.bmp", 10, 10}, {"pad_spikes.bmp", 85, 85},
        {"pad_flares.bmp", 85, 85},        {"button_load.bmp", 39, 16},
        {"button_save.bmp", 39, 16},       {"button_dice.bmp", 36, 19},
        {"button_ecce.bmp", 36, 19},       {"blend_01.bmp", 32, 32},
        {"blend_11.bmp", 32, 32},          {"lighting_3.bmp", 32, 32},
    };
    for (const Size& s : sizes) {
        const std::string path = std::string(RADIANTIX_SOURCE_DIR) + "/resources/artwork/" + s.file;
        FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr) << path;
        unsigned char header[26] = {};
        const size_t n = std::fread(header, 1, sizeof header, f);
        std::fclose(f);
        ASSERT_EQ(n, sizeof header) << path;
        EXPECT_EQ(header[0], 'B');
        EXPECT_EQ(header[1], 'M');
        auto le32 = [&](int at) {
            return int32_t(header[at] | header[at + 1] << 8 | header[at + 2] << 16 |
                           uint32_t(header[at + 3]) << 24);
        };
        EXPECT_EQ(le32(18), s.w) << s.file;
        EXPECT_EQ(le32(22), s.h) << s.file;
    }
}
