// The settings dialog's control model and control arithmetic, checked without a window.
// What a user does to sliders, toggles and pads and what the controls then show is the Wine
// dialog tests'; here the table's consistency and the arithmetic they never reach.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
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
// (a slider with its value box), and the dialog has no control of a setting that is not in
// the table.
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
    // The pads are dragged; the blend picker opens a list and must not hold the capture.
    EXPECT_TRUE(isCapturable(idFlarePad) && isCapturable(idSpikePad) && isToggle(idAutoPreview));
    EXPECT_FALSE(isCapturable(idBlendPicker));
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
        const PixelRect b = rectOf(valueBoxOf(id));
        EXPECT_TRUE(r.width() == 135 && r.height() == 12) << id;
        EXPECT_TRUE(b.left == r.right + 5 && b.width() == 24 && b.top == r.top &&
                    b.bottom == r.bottom)
            << id;
    }
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

// What the controls show of a record, after Dice, Load and a cached start, is the Wine
// preview dialog test's; Cancel there restores a few settings the user changed.
TEST(DialogControls, CancelPutsBackAllButTheBlendModeAutoPreviewAndCentre) {
    SunParameters p{};
    p.sunColor = {1, 2, 3};
    p.flareVector = {0.5f, -0.25f, -1.0f};
    const SettingsSnapshot s = takeSnapshot(p);
    SunParameters changed = p;
    changed.sunColor = changed.extraColor = {9, 9, 9};
    changed.spikeBrightness = changed.seed = 99;
    changed.flareVector = changed.spikeVector = {1, 1, 1};
    changed.blendMode = 7;
    changed.autoPreview = 0;
    changed.sunCenterX = 123;
    SunParameters want = p;
    want.blendMode = 7;
    want.autoPreview = 0;
    want.sunCenterX = 123;
    restoreSnapshot(s, changed);
    EXPECT_EQ(std::memcmp(&changed, &want, sizeof want), 0);
}

TEST(DialogControls, SliderThumbValueAndToggleByte) {
    const PixelRect s{105, 19, 240, 31};
    EXPECT_EQ(sliderThumbLeft(s, 100, 0, 100), 105 + 121);  // touches the track's end
    EXPECT_EQ(sliderThumbLeft(s, 5, 5, 5), 106);            // empty range counts as 1
    // The value a press gives draws the 12-pixel thumb under the pointer: the pointer sits 2 to
    // 6 pixels in from the thumb's left edge along the whole track. Off either end the value is
    // clipped to the range; the values between are the Wine dialog test's, read from the record.
    EXPECT_TRUE(sliderValueAt(s, 0, 0, 100) == 0 && sliderValueAt(s, 700, 0, 100) == 100);
    for (int x = 109; x <= 231; ++x) {
        const int offset = x - sliderThumbLeft(s, sliderValueAt(s, x, 0, 100), 0, 100);
        EXPECT_TRUE(offset >= 2 && offset <= 6) << x;
    }
    EXPECT_EQ(toggleTrack(0x1FF, false), 0xFD);  // only the low 8 bits of a toggle are kept
}

TEST(DirectionPad, VectorFromThePointerAndLineColour) {
    // Inside 33 pixels of the centre the vector is linear, beyond it has unit length; z is
    // only read. The centre and the right edge are the Wine dialog test's.
    const PixelRect pad{308, 152, 393, 237};
    const struct {
        int dx, dy;
        float x, y;
    } cases[] = {{0, 11, 0.0f, 1.0f / 3.0f}, {-30, -40, -0.6f, -0.8f}};
    for (const auto& c : cases) {
        Vector3f v{0.3f, 0.3f, -2.0f};
        padVectorAt(pad, 308 + 43 + c.dx, 152 + 41 + c.dy, &v);
        EXPECT_FLOAT_EQ(v.x, c.x) << c.dx;
        EXPECT_FLOAT_EQ(v.y, c.y) << c.dy;
        EXPECT_EQ(v.z, -2.0f);
    }
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
                 {{0, 0, 100, 30}, alignLeft, 40, 0, 0, 7}};
    for (const auto& t : texts) {
        const PixelPoint o = textOrigin(t.r, t.align, t.width, t.offset);
        EXPECT_EQ(o.x, t.x) << t.r.left << " " << t.width;
        EXPECT_EQ(o.y, t.y) << t.r.left << " " << t.width;
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
    const PixelPoint inside = centredOnParent({100, 100, 500, 300}, 200, 100);
    const PixelPoint larger = centredOnParent({0, 0, 100, 100}, 300, 300);
    EXPECT_TRUE(inside.x == 200 && inside.y == 150 && larger.x == 0 && larger.y == 0);

    char s[12];
    for (int32_t v : {0, -7, INT32_MIN}) {
        valueText(v, s);
        EXPECT_EQ(std::string(s), std::to_string(v));
    }
}

// The committed artwork has the sizes the dialog lays out.
TEST(DialogArtwork, PicturesHaveTheirLayoutSizes) {
    const PixelRect slider = rectOf(37), pad = rectOf(idSpikePad);
    const struct {
        int w, h;
        std::vector<const char*> files;
    } sizes[] = {
        {kClientWidth, kClientHeight, {"background"}},
        {slider.width(), slider.height(), {"track_cool", "track_warm"}},
        {12, 10, {"thumb", "thumb_disabled"}},
        {10, 10, {"toggle_off", "toggle_on", "toggle_off_pressed", "toggle_on_pressed"}},
        {pad.width(), pad.height(), {"pad_spikes", "pad_flares"}},
        {39, 16, {"button_load", "button_save"}},
        {36, 19, {"button_dice", "button_ecce"}},
        {32, 32, {"blend_01", "blend_11", "lighting_3"}},
    };
    for (const auto& size : sizes)
        for (const char* file : size.files) {
            std::ifstream in(
                std::string(RADIANTIX_SOURCE_DIR) + "/resources/artwork/" + file + ".bmp",
                std::ios::binary);
            unsigned char h[26] = {};
            ASSERT_TRUE(in.read(reinterpret_cast<char*>(h), sizeof h)) << file;
            auto le32 = [&](int at) {
                return int32_t(h[at] | h[at + 1] << 8 | h[at + 2] << 16 |
                               uint32_t(h[at + 3]) << 24);
            };
            EXPECT_TRUE(h[0] == 'B' && h[1] == 'M' && le32(18) == size.w && le32(22) == size.h)
                << file;
        }
}
