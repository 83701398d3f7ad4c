#include "ui/control_model.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace rx::ui {

namespace {

// One row per control that carries a setting or a picture, plus the labels. A slider row
// also names its value box; the label rectangle of a slider row is derived (30 pixels
// wide, 6 pixels left of the slider, 16 high) unless given.
struct Row {
    int labelId;  // 0 for none
    int id;
    int kind;
    PixelRect rect;
    int valueBoxId;  // kNoValueBox for none
    int track;       // slider track picture, or the control's main picture
    size_t setting;  // offset of the int32 setting, or kNoSetting
};

constexpr size_t kNoSetting = ~size_t(0);
#define RX_FIELD(f) offsetof(SunParameters, f)

constexpr int kLeftSlider = 105, kRightSlider = 489;

constexpr Row slider(int label, int id, int x, int y, int box, int track, size_t setting) {
    return Row{label, id, kindSlider, {x, y, x + 135, y + 12}, box, track, setting};
}

// One row a control, as the dialog lays them out.
// clang-format off
const Row kRows[] = {
    // Sun
    slider(36, 37, kLeftSlider, 19, 86, picTrackCool, RX_FIELD(sunRadius)),
    slider(38, 39, kLeftSlider, 38, 85, picTrackCool, RX_FIELD(sunColdHot)),
    slider(44, 45, kLeftSlider, 57, 88, picTrackCool, RX_FIELD(swirlCount)),
    slider(42, 43, kLeftSlider, 76, 87, picTrackCool, RX_FIELD(swirlSize)),
    slider(40, 41, kLeftSlider, 95, 84, picTrackCool, RX_FIELD(sunSmear)),
    slider(46, 47, kLeftSlider, 114, 89, picTrackCool, RX_FIELD(sunDetail)),
    {49, idVortices, kindToggle, {289, 76, 303, 90}, kNoValueBox, picToggleOff, RX_FIELD(vortices)},
    {53, idMonopoles, kindToggle, {289, 95, 303, 109}, kNoValueBox, picToggleOff, RX_FIELD(monopoles)},
    {0, idLightingPicker, kindModePicker, {328, 17, 363, 52}, kNoValueBox, picNone, RX_FIELD(lightingMode)},
    // Flares
    slider(70, 71, kLeftSlider, 152, 96, picTrackWarm, RX_FIELD(flareCount)),
    slider(97, 98, kLeftSlider, 171, 99, picTrackWarm, RX_FIELD(flareRadius)),
    slider(68, 69, kLeftSlider, 190, 95, picTrackWarm, RX_FIELD(flareWidth)),
    slider(109, 110, kLeftSlider, 209, 111, picTrackWarm, RX_FIELD(flareDetail)),
    slider(113, 114, kLeftSlider, 228, 115, picTrackWarm, RX_FIELD(flareBrightness)),
    {0, idFlarePad, kindDirectionPad, {308, 152, 393, 237}, kNoValueBox, picFlarePad, kNoSetting},
    // Spikes
    slider(4, 13, kLeftSlider, 266, 80, picTrackCool, RX_FIELD(spikeCount)),
    slider(24, 10, kLeftSlider, 285, 77, picTrackCool, RX_FIELD(spikeRadius)),
    slider(15, 11, kLeftSlider, 304, 78, picTrackCool, RX_FIELD(spikeWidth)),
    slider(22, 12, kLeftSlider, 323, 79, picTrackCool, RX_FIELD(spikeBrightness)),
    slider(50, 51, kLeftSlider, 342, 83, picTrackCool, RX_FIELD(spikeGamma)),
    slider(64, 65, kLeftSlider, 361, 81, picTrackCool, RX_FIELD(spikeDiffraction)),
    slider(66, 67, kLeftSlider, 380, 82, picTrackCool, RX_FIELD(spikeDetail)),
    {0, idSpikePad, kindDirectionPad, {308, 266, 393, 351}, kNoValueBox, picSpikePad, kNoSetting},
    // Halo
    slider(54, 55, kLeftSlider, 418, 90, picTrackWarm, RX_FIELD(haloRadius)),
    slider(56, 57, kLeftSlider, 437, 91, picTrackWarm, RX_FIELD(haloBrightness)),
    // Bow
    slider(58, 59, kRightSlider, 323, 92, picTrackCool, RX_FIELD(bowRadius)),
    slider(60, 61, kRightSlider, 342, 93, picTrackWarm, RX_FIELD(bowWidth)),
    slider(62, 63, kRightSlider, 361, 94, picTrackWarm, RX_FIELD(bowBrightness)),
    slider(102, 103, kRightSlider, 380, 104, picTrackWarm, RX_FIELD(bowSmear)),
    {0, idBowInvert, kindToggle, {673, 323, 687, 337}, kNoValueBox, picToggleOff, RX_FIELD(bowInvert)},
    // Master brightness
    slider(106, 107, kRightSlider, 418, 108, picTrackCool, RX_FIELD(masterBrightness)),
    {0, idBlendPicker, kindModePicker, {661, 416, 696, 451}, kNoValueBox, picNone, RX_FIELD(blendMode)},
    // Preview row
    {31, idAutoPreview, kindToggle, {573, 267, 587, 281}, kNoValueBox, picToggleOff, RX_FIELD(autoPreview)},
    // Picture buttons
    {0, idDice, kindBitmapButton, {105, 475, 165, 500}, kNoValueBox, picDice, kNoSetting},
    {0, idEcce, kindBitmapButton, {181, 475, 241, 500}, kNoValueBox, picEcce, kNoSetting},
    {0, idLoad, kindBitmapButton, {281, 475, 341, 500}, kNoValueBox, picLoad, kNoSetting},
    {0, idSave, kindBitmapButton, {357, 475, 417, 500}, kNoValueBox, picSave, kNoSetting},
};
// clang-format on
#undef RX_FIELD

// Controls that only have a rectangle: buttons, swatches, the preview and the labels
// whose rectangle is not derived from a slider.
struct Place {
    int id;
    PixelRect rect;
};
const Place kPlaces[] = {
    {idSunSwatch, {285, 19, 305, 39}},
    {idFlareSwatch, {285, 152, 305, 172}},
    {idSpikeSwatch, {285, 266, 305, 286}},
    {idHaloSwatch, {285, 418, 305, 438}},
    {idPreview, {401, 0, 707, 253}},
    {idZoomOut, {469, 267, 483, 281}},
    {idZoomReset, {489, 266, 524, 283}},
    {idZoomIn, {529, 267, 543, 281}},
    {idStatusLine, {401, 289, 707, 307}},
    {idCancel, {561, 475, 621, 500}},
    {idOk, {637, 475, 697, 500}},
    {24, {69, 285, 100, 299}},
    {49, {305, 79, 370, 92}},
    {53, {306, 98, 371, 111}},
    {idAutoPreviewLabel, {590, 270, 655, 283}},
};

struct LabelText {
    int id;
    const char* text;
};
const LabelText kLabels[] = {
    {36, "Radius"},       {38, "Cold/hot"},   {44, "Swirl count"},
    {42, "Swirl size"},   {40, "Smear"},      {46, "Detail"},
    {49, "Vortices"},     {53, "Monopoles"},  {70, "Count"},
    {97, "Radius"},       {68, "Width"},      {109, "Detail"},
    {113, "Brightness"},  {4, "Count"},       {24, "Radius"},
    {15, "Width"},        {22, "Brightness"}, {50, "Gamma"},
    {64, "Diffraction"},  {66, "Detail"},     {54, "Radius"},
    {56, "Brightness"},   {58, "Radius"},     {60, "Width"},
    {62, "Brightness"},   {102, "Smear"},     {106, " "},
    {31, "Auto Preview"}, {76, ""},
};

const Row* rowOf(int id) {
    for (const Row& r : kRows)
        if (r.id == id) return &r;
    return nullptr;
}
const Row* rowOfValueBox(int id) {
    for (const Row& r : kRows)
        if (r.kind == kindSlider && r.valueBoxId == id) return &r;
    return nullptr;
}
const Row* rowOfLabel(int id) {
    if (id <= 0) return nullptr;
    for (const Row& r : kRows)
        if (r.labelId == id) return &r;
    return nullptr;
}
bool isLabelId(int id) {
    if (id == idStatusLine) return true;
    for (const LabelText& l : kLabels)
        if (l.id == id) return true;
    return false;
}

ControlDescription emptyDescription(int id, int kind) {
    return {kNoValueBox, id, kind, {picNone, picNone, picNone, picNone}, 0, 100};
}

}  // namespace

// ---------------------------------------------------------------------------------------
// [ids and kinds]

ControlDescription describeControl(int id) {
    const Row* r = rowOf(id);
    if (!r) r = rowOfValueBox(id);
    if (r) {
        ControlDescription d = emptyDescription(r->id, r->kind);
        d.valueBoxId = r->valueBoxId;
        if (r->kind == kindToggle) {
            d.pictures[0] = picToggleOff;
            d.pictures[1] = picToggleOffPressed;
            d.pictures[2] = picToggleOn;
            d.pictures[3] = picToggleOnPressed;
        } else {
            d.pictures[0] = r->track;
        }
        return d;
    }
    if (isLabelId(id)) return emptyDescription(id, kindLabel);
    return emptyDescription(id, kindNone);
}

int controlKind(int id) {
    if (rowOfValueBox(id)) return kindValueBox;
    return describeControl(id).kind;
}

bool isSlider(int id) { return controlKind(id) == kindSlider; }
bool isToggle(int id) { return controlKind(id) == kindToggle; }
bool isCapturable(int id) {
    const int k = controlKind(id);
    return k == kindSlider || k == kindToggle || k == kindDirectionPad;
}

// ---------------------------------------------------------------------------------------
// [layout]

bool layoutRect(int id, PixelRect* rect) {
    for (const Place& p : kPlaces)
        if (p.id == id) return *rect = p.rect, true;
    if (const Row* r = rowOf(id)) return *rect = r->rect, true;
    if (const Row* r = rowOfValueBox(id)) {
        *rect = {r->rect.right + 5, r->rect.top, r->rect.right + 29, r->rect.bottom};
        return true;
    }
    if (const Row* r = rowOfLabel(id)) {
        const int right = r->rect.left - 6;
        *rect = {right - 30, r->rect.top, right, r->rect.top + 16};
        return true;
    }
    return false;
}

const char* labelText(int id) {
    for (const LabelText& l : kLabels)
        if (l.id == id) return l.text;
    return "";
}

uint32_t valueBoxColour(int valueBoxId) {
    switch (valueBoxId) {
        case 90:
        case 91:
        case 92:
        case 93:
        case 94:
        case 95:
        case 96:
        case 99:
        case 104:
        case 111:
        case 115: return 0xC9D8D8;  // RGB (216, 216, 201): Flares, Halo, Bow
        default: return 0xE4D8D8;   // RGB (216, 216, 228)
    }
}

int valueBoxOf(int sliderId) {
    const Row* r = rowOf(sliderId);
    return r && r->kind == kindSlider ? r->valueBoxId : kNoValueBox;
}

int controlAt(int x, int y) {
    for (int id = 0; id < kControls; ++id) {
        const int k = controlKind(id);
        if (id != idPreview && k != kindSlider && k != kindToggle && k != kindDirectionPad &&
            k != kindModePicker)
            continue;
        PixelRect r;
        if (layoutRect(id, &r) && pointInRect(x, y, r)) return id;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------
// [control values]

void fillPictureTables(ControlTables& t) {
    std::memset(&t, 0, sizeof t);
    for (int id = 0; id < kControls; ++id) {
        const ControlDescription d = describeControl(id);
        t.image[id] = d.pictures[0];
        t.imageOffPressed[id] = d.pictures[1];
        t.imageOn[id] = d.pictures[2];
        t.imageOnPressed[id] = d.pictures[3];
    }
}

void setSliderRanges(ControlTables& t) {
    for (int id = 0; id < kControls; ++id) {
        if (!isSlider(id)) continue;
        const ControlDescription d = describeControl(id);
        t.minimum[id] = d.minValue;
        t.maximum[id] = d.maxValue;
    }
}

int32_t* controlSetting(SunParameters& p, int id) {
    const Row* r = rowOf(id);
    if (!r || r->setting == kNoSetting) return nullptr;
    return reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&p) + r->setting);
}

int integerControlCount() {
    int n = 0;
    for (const Row& r : kRows) n += r.setting != kNoSetting;
    return n;
}

void loadControls(ControlTables& t, const SunParameters& p) {
    for (const Row& r : kRows)
        if (r.setting != kNoSetting)
            std::memcpy(&t.value[r.id], reinterpret_cast<const char*>(&p) + r.setting, 4);
}

void storeControls(const ControlTables& t, SunParameters& p) {
    for (const Row& r : kRows)
        if (r.setting != kNoSetting)
            std::memcpy(reinterpret_cast<char*>(&p) + r.setting, &t.value[r.id], 4);
}

static_assert(offsetof(SunParameters, extraColor) - offsetof(SunParameters, sunColor) ==
                  5 * sizeof(RGB16),
              "the six colours follow one another");
static_assert(offsetof(SunParameters, spikeDetail) - offsetof(SunParameters, spikeBrightness) ==
                  28 * sizeof(int32_t),
              "the 29 numeric settings follow one another");

SettingsSnapshot takeSnapshot(const SunParameters& p) {
    SettingsSnapshot s;
    std::memcpy(s.colours, &p.sunColor, sizeof s.colours);
    std::memcpy(s.numbers, &p.spikeBrightness, sizeof s.numbers);
    s.seed = p.seed;
    s.spikeVector = p.spikeVector;
    s.flareVector = p.flareVector;
    return s;
}

void restoreSnapshot(const SettingsSnapshot& s, SunParameters& p) {
    std::memcpy(&p.sunColor, s.colours, sizeof s.colours);
    std::memcpy(&p.spikeBrightness, s.numbers, sizeof s.numbers);
    p.seed = s.seed;
    p.spikeVector = s.spikeVector;
    p.flareVector = s.flareVector;
}

// ---------------------------------------------------------------------------------------
// [control arithmetic]

namespace {
int32_t rangeOf(int32_t minValue, int32_t maxValue) {
    const int32_t range = maxValue - minValue;
    return range < 1 ? 1 : range;
}
}  // namespace

int sliderThumbLeft(const PixelRect& s, int32_t value, int32_t minValue, int32_t maxValue) {
    const int32_t range = rangeOf(minValue, maxValue);
    return s.left + 1 + ((value - minValue) * (s.right - s.left - 15)) / range;
}

int32_t sliderValueAt(const PixelRect& s, int pointerX, int32_t minValue, int32_t maxValue) {
    const int32_t range = rangeOf(minValue, maxValue);
    const int x = pointerX - 4;  // the pointer holds the thumb 4 pixels in from its left
    const int span = s.right - (s.left + 1) - 13;
    int32_t value = ((x - (s.left + 1)) * range) / (span < 1 ? 1 : span) + minValue;
    if (value < minValue) value = minValue;
    if (value > maxValue) value = maxValue;
    return value;
}

int32_t toggleTrack(int32_t value, bool inside) {
    value &= 0xFF & ~kTogglePressed;
    return inside ? value | kTogglePressed : value;
}

int32_t toggleRelease(int32_t value, bool* flipped) {
    *flipped = (value & kTogglePressed) != 0;
    if (!*flipped) return value;
    return (value & ~kTogglePressed) ^ kToggleOn;
}

PixelPoint padKnob(const PixelRect& pad, const Vector3f& v) {
    const int dx = static_cast<int>(33.0 * double(v.x));
    const int dy = static_cast<int>(33.0 * double(v.y));
    return {pad.left + 42 + dx, static_cast<int16_t>(pad.top + 41 + dy)};
}

void padVectorAt(const PixelRect& pad, int pointerX, int pointerY, Vector3f* v) {
    const int dx = pointerX - pad.left - 43;
    const int dy = pointerY - pad.top - 41;
    double d = std::sqrt(double(dx) * dx + double(dy) * dy);
    if (d < 33.0) d = 33.0;
    v->x = static_cast<float>(dx / d);
    v->y = static_cast<float>(dy / d);
}

uint32_t padLineColour(const Vector3f& v) { return v.z >= 0.0f ? 0x00FFFF : 0xFF00FF; }

PixelPoint textOrigin(const PixelRect& rect, int align, int textWidth, int dy) {
    PixelRect r = rect;
    r.bottom -= 2;
    r.top += dy;
    r.bottom += dy;
    const int centre = (r.height() - 14) / 2;
    r.top += centre;
    const int d = r.width() - textWidth;
    int x = r.left;
    if (align == alignRight)
        x += d;
    else if (align == alignCentre)
        x += d / 2;
    return {x, r.top};
}

PixelPoint centredDialogOrigin(const PixelRect& parent, int w, int h, int shift, int screenWidth,
                               int screenHeight) {
    const int spareW = parent.width() - w;
    int x = (spareW > 0 ? spareW : 0) / 2 - shift + parent.left;
    if (x + w > screenWidth) x = screenWidth - w > 0 ? screenWidth - w : 0;
    const int spareH = parent.height() - h;
    int y = parent.top + (spareH > 0 ? spareH : 0) / 3;
    if (y + h > screenHeight) y = screenHeight - h > 0 ? screenHeight - h : 0;
    // A parent near the screen's corner must not push the caption off the screen.
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    return {x, y};
}

PixelPoint centredOnParent(const PixelRect& parent, int w, int h) {
    int x = parent.left + (parent.width() - w) / 2;
    int y = parent.top + (parent.height() - h) / 2;
    return {x < 0 ? 0 : x, y < 0 ? 0 : y};
}

void valueText(int32_t value, char out[12]) {
    char digits[12];
    int n = 0;
    uint32_t magnitude = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int k = 0;
    if (value < 0) out[k++] = '-';
    while (n) out[k++] = digits[--n];
    out[k] = 0;
}

}  // namespace rx::ui
