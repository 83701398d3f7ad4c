#include "ui/control_model.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace rx::ui {

namespace {

constexpr int kLeftSlider = 105, kRightSlider = 489;

// What is fixed per control of a setting: its ids, where it sits and its picture. Kind,
// label, range and value-box colour come from the setting table. A slider's value box
// sits 5 pixels right of it; its label, unless placed in kPlaces, is 30 pixels wide, 6
// pixels left of the slider and 16 high.
struct SettingControl {
    const char* setting;
    int labelId;  // 0 for none
    int id;
    int valueBoxId;  // sliders only
    PixelRect rect;
    int picture;  // slider track; toggles and pickers have their own
};

constexpr SettingControl slider(const char* setting, int label, int id, int box, int x, int y,
                                int track) {
    return {setting, label, id, box, {x, y, x + 135, y + 12}, track};
}
constexpr SettingControl other(const char* setting, int label, int id, PixelRect rect) {
    return {setting, label, id, kNoValueBox, rect, picNone};
}

// clang-format off
const SettingControl kSettingControls[] = {
    slider("sunRadius",        36,  37,  86,  kLeftSlider,  19,  picTrackCool),
    slider("sunColdHot",       38,  39,  85,  kLeftSlider,  38,  picTrackCool),
    slider("swirlCount",       44,  45,  88,  kLeftSlider,  57,  picTrackCool),
    slider("swirlSize",        42,  43,  87,  kLeftSlider,  76,  picTrackCool),
    slider("sunSmear",         40,  41,  84,  kLeftSlider,  95,  picTrackCool),
    slider("sunDetail",        46,  47,  89,  kLeftSlider,  114, picTrackCool),
    other("vortices",          49,  idVortices,       {289, 76, 303, 90}),
    other("monopoles",         53,  idMonopoles,      {289, 95, 303, 109}),
    other("lightingMode",      0,   idLightingPicker, {328, 17, 363, 52}),
    slider("flareCount",       70,  71,  96,  kLeftSlider,  152, picTrackWarm),
    slider("flareRadius",      97,  98,  99,  kLeftSlider,  171, picTrackWarm),
    slider("flareWidth",       68,  69,  95,  kLeftSlider,  190, picTrackWarm),
    slider("flareDetail",      109, 110, 111, kLeftSlider,  209, picTrackWarm),
    slider("flareBrightness",  113, 114, 115, kLeftSlider,  228, picTrackWarm),
    slider("spikeCount",       4,   13,  80,  kLeftSlider,  266, picTrackCool),
    slider("spikeRadius",      24,  10,  77,  kLeftSlider,  285, picTrackCool),
    slider("spikeWidth",       15,  11,  78,  kLeftSlider,  304, picTrackCool),
    slider("spikeBrightness",  22,  12,  79,  kLeftSlider,  323, picTrackCool),
    slider("spikeGamma",       50,  51,  83,  kLeftSlider,  342, picTrackCool),
    slider("spikeDiffraction", 64,  65,  81,  kLeftSlider,  361, picTrackCool),
    slider("spikeDetail",      66,  67,  82,  kLeftSlider,  380, picTrackCool),
    slider("haloRadius",       54,  55,  90,  kLeftSlider,  418, picTrackWarm),
    slider("haloBrightness",   56,  57,  91,  kLeftSlider,  437, picTrackWarm),
    slider("bowRadius",        58,  59,  92,  kRightSlider, 323, picTrackCool),
    slider("bowWidth",         60,  61,  93,  kRightSlider, 342, picTrackWarm),
    slider("bowBrightness",    62,  63,  94,  kRightSlider, 361, picTrackWarm),
    slider("bowSmear",         102, 103, 104, kRightSlider, 380, picTrackWarm),
    other("bowInvert",         0,   idBowInvert,      {673, 323, 687, 337}),
    slider("masterBrightness", 106, 107, 108, kRightSlider, 418, picTrackCool),
    other("blendMode",         0,   idBlendPicker,    {661, 416, 696, 451}),
};
// clang-format on

// Controls of no setting: the direction pads, the picture buttons and Auto Preview (a
// toggle of the dialog's own state, not a setting).
struct OtherControl {
    int labelId;
    const char* label;
    int id;
    int kind;
    PixelRect rect;
    int picture;
};
const OtherControl kOtherControls[] = {
    {0, nullptr, idFlarePad, kindDirectionPad, {308, 152, 393, 237}, picFlarePad},
    {0, nullptr, idSpikePad, kindDirectionPad, {308, 266, 393, 351}, picSpikePad},
    {idAutoPreviewLabel, "Auto Preview", idAutoPreview, kindToggle, {573, 267, 587, 281}, picNone},
    {0, nullptr, idDice, kindBitmapButton, {105, 475, 165, 500}, picDice},
    {0, nullptr, idEcce, kindBitmapButton, {181, 475, 241, 500}, picEcce},
    {0, nullptr, idLoad, kindBitmapButton, {281, 475, 341, 500}, picLoad},
    {0, nullptr, idSave, kindBitmapButton, {357, 475, 417, 500}, picSave},
};

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

// One control with everything the model answers about it.
struct Row {
    int labelId;
    const char* label;
    int id;
    int kind;
    PixelRect rect;
    int valueBoxId;
    int picture;
    const SettingInfo* setting;  // null for the controls of no setting
};

int kindOf(SettingKind k) {
    switch (k) {
        case SettingKind::Slider:
        case SettingKind::Count: return kindSlider;
        case SettingKind::Toggle: return kindToggle;
        case SettingKind::Mode: return kindModePicker;
        default: return kindNone;
    }
}

struct Rows {
    Row rows[sizeof kSettingControls / sizeof kSettingControls[0] +
             sizeof kOtherControls / sizeof kOtherControls[0]];
    int count = 0;
};

// The setting controls in the setting table's order, then the others.
Rows buildRows() {
    Rows r;
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    for (size_t i = 0; i < n; ++i)
        for (const SettingControl& c : kSettingControls)
            if (std::strcmp(c.setting, table[i].name) == 0) {
                const SettingInfo& s = table[i];
                const int kind = kindOf(s.kind);
                r.rows[r.count++] = {c.labelId, s.label,
                                     c.id,      kind,
                                     c.rect,    kind == kindSlider ? c.valueBoxId : kNoValueBox,
                                     c.picture, &s};
            }
    for (const OtherControl& c : kOtherControls)
        r.rows[r.count++] = {c.labelId, c.label,     c.id,      c.kind,
                             c.rect,    kNoValueBox, c.picture, nullptr};
    return r;
}

const Rows& rows() {
    static const Rows r = buildRows();
    return r;
}

template <typename Match>
const Row* findRow(Match match) {
    const Rows& r = rows();
    for (int i = 0; i < r.count; ++i)
        if (match(r.rows[i])) return &r.rows[i];
    return nullptr;
}

const Row* rowOf(int id) {
    return findRow([id](const Row& r) { return r.id == id; });
}
const Row* rowOfValueBox(int id) {
    return findRow([id](const Row& r) { return r.kind == kindSlider && r.valueBoxId == id; });
}
const Row* rowOfLabel(int id) {
    if (id <= 0) return nullptr;
    return findRow([id](const Row& r) { return r.labelId == id; });
}

ControlDescription emptyDescription(int id, int kind) {
    return {kNoValueBox, id, kind, {picNone, picNone, picNone, picNone}};
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
            d.pictures[0] = r->picture;
        }
        return d;
    }
    if (id == idStatusLine || rowOfLabel(id)) return emptyDescription(id, kindLabel);
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
    const Row* r = rowOfLabel(id);
    return r && r->label ? r->label : "";
}

uint32_t valueBoxColour(int valueBoxId) {
    const Row* r = rowOfValueBox(valueBoxId);
    const DialogSection section = r ? r->setting->section : DialogSection::None;
    if (section == DialogSection::Flares || section == DialogSection::Halo ||
        section == DialogSection::Bow)
        return 0xC9D8D8;  // RGB (216, 216, 201)
    return 0xE4D8D8;      // RGB (216, 216, 228)
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
    const Rows& r = rows();
    for (int i = 0; i < r.count; ++i) {
        const Row& row = r.rows[i];
        if (row.kind != kindSlider) continue;
        t.minimum[row.id] = row.setting->minValue;
        t.maximum[row.id] = row.setting->maxValue;
    }
}

const SettingInfo* controlSettingInfo(int id) {
    const Row* r = rowOf(id);
    return r ? r->setting : nullptr;
}

int32_t* controlSetting(SunParameters& p, int id) {
    if (id == idAutoPreview) return reinterpret_cast<int32_t*>(&p.autoPreview);
    const SettingInfo* s = controlSettingInfo(id);
    return s ? settingInt(p, *s) : nullptr;
}

int integerControlCount() {
    const Rows& r = rows();
    int n = 0;
    for (int i = 0; i < r.count; ++i) n += r.rows[i].setting || r.rows[i].id == idAutoPreview;
    return n;
}

void loadControls(ControlTables& t, const SunParameters& p) {
    const Rows& r = rows();
    for (int i = 0; i < r.count; ++i)
        if (const SettingInfo* s = r.rows[i].setting) t.value[r.rows[i].id] = settingInt(p, *s);
    t.value[idAutoPreview] = int32_t(p.autoPreview);
}

void storeControls(const ControlTables& t, SunParameters& p) {
    const Rows& r = rows();
    for (int i = 0; i < r.count; ++i)
        if (const SettingInfo* s = r.rows[i].setting) *settingInt(p, *s) = t.value[r.rows[i].id];
    p.autoPreview = uint32_t(t.value[idAutoPreview]);
}

SettingsSnapshot takeSnapshot(const SunParameters& p) { return SettingsSnapshot{p}; }

void restoreSnapshot(const SettingsSnapshot& s, SunParameters& p) {
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    for (size_t i = 0; i < n; ++i) {
        const SettingInfo& setting = table[i];
        // Cancel leaves the blend mode as it was last chosen.
        if (setting.offset == offsetof(SunParameters, blendMode)) continue;
        size_t size = sizeof(int32_t);
        if (setting.kind == SettingKind::Colour) size = sizeof(RGB16);
        if (setting.kind == SettingKind::Vector) size = sizeof(Vector3f);
        std::memcpy(reinterpret_cast<char*>(&p) + setting.offset,
                    reinterpret_cast<const char*>(&s.record) + setting.offset, size);
    }
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
