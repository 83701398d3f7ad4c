// The settings dialog's control model, without any window-system calls: which control
// is where, what kind it is, which pictures it shows, which setting it edits, and the
// arithmetic of the custom controls (thumb positions, slider values, toggle states,
// direction-pad vectors, text placement, dialog centring). The Win32 dialog reads all of
// it from here; the native tests check it without a window.
//
// Sections:
//   [ids and kinds]      describeControl, controlKind, isSlider, isToggle, isCapturable
//   [layout]             the control table in client pixels, labels, value-box colours
//   [control values]     ControlTables, loadControls / storeControls, the snapshot
//   [control arithmetic] sliders, toggles, direction pads, text, centring
#pragma once

#include <cstdint>

#include "host/types/setting_table.h"
#include "host/types/filter_session.h"
#include "host/types/sun_parameters.h"
#include "ui/control_ids.h"

namespace rx::ui {

// ---------------------------------------------------------------------------------------
// [ids and kinds]

constexpr int kControls = kControlCount;  // ids 0..149
constexpr int kNoValueBox = 65535;

// Client area of the dialog: the size of the background picture.
constexpr int kClientWidth = 707;
constexpr int kClientHeight = 508;

enum ControlKind : int32_t {
    kindNone = -1,
    kindSlider = 0,
    kindLabel = 1,
    kindValueBox = 2,
    kindToggle = 3,
    kindBitmapButton = 7,
    kindDirectionPad = 9,
    kindModePicker = 12,
};

// Picture resources of the dialog.
enum PictureId : int32_t {
    picNone = -1,
    picTrackCool = 101,
    picTrackWarm = 102,
    picThumbDisabled = 107,
    picThumb = 120,
    picFlarePad = 117,
    picSpikePad = 116,
    picKnobIcon = 122,
    picToggleOff = 148,
    picToggleOffPressed = 149,
    picToggleOn = 150,
    picToggleOnPressed = 151,
    picBackground = 239,
    picEcce = 111,
    picSave = 223,
    picLoad = 224,
    picDice = 228,
    cursorGrab = 107,
};

struct ControlDescription {
    int32_t valueBoxId;   // kNoValueBox for none
    int32_t id;           // the control proper (the slider, for a value box id)
    int32_t kind;         // ControlKind; a value box answers its slider's row (kind 0)
    int32_t pictures[4];  // picNone where unused
};

// The fixed description table; an id in no row answers kind -1.
ControlDescription describeControl(int id);
// Like describeControl's kind, but 2 (kindValueBox) for a value box.
int controlKind(int id);
bool isSlider(int id);      // kind 0 and not a value box
bool isToggle(int id);      // kind 3
bool isCapturable(int id);  // slider, toggle or direction pad

// ---------------------------------------------------------------------------------------
// [layout]

struct PixelRect {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Half-open: left <= x < right, top <= y < bottom.
inline bool pointInRect(int x, int y, const PixelRect& r) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The client rectangle the dialog gives control `id` at start; false for ids that have
// none (the dialog resource has no such control).
bool layoutRect(int id, PixelRect* rect);

// Text of a label id ("" for the status line and ids that are no label).
const char* labelText(int id);

// Background of a value box as 0x00BBGGRR (the Win32 COLORREF layout).
uint32_t valueBoxColour(int valueBoxId);

// The value box paired with a slider, or kNoValueBox.
int valueBoxOf(int sliderId);

// The control under a client point among the preview (18) and the sliders, toggles,
// direction pads and mode pickers, lowest id first; -1 when none.
int controlAt(int x, int y);

// ---------------------------------------------------------------------------------------
// [control values]

struct ControlTables {
    int32_t value[kControls];
    int32_t minimum[kControls];
    int32_t maximum[kControls];
    int32_t image[kControls];
    int32_t imageOffPressed[kControls];
    int32_t imageOn[kControls];
    int32_t imageOnPressed[kControls];
};

// Fills the four picture tables from describeControl for every id; clears the values.
void fillPictureTables(ControlTables& tables);
// Sets every slider's range to its setting's minimum and maximum.
void setSliderRanges(ControlTables& tables);

// The setting a control edits (sliders, the setting toggles, mode pickers), or null.
const SettingInfo* controlSettingInfo(int id);

// The 32-bit integer setting that a control edits (sliders, toggles, mode pickers), or
// null. Colours and direction vectors are edited in the record directly.
int32_t* controlSetting(SunParameters& p, int id);
// Number of controls with an integer setting (25 sliders, 4 toggles, 2 pickers).
int integerControlCount();

void loadControls(ControlTables& tables, const SunParameters& p);   // record -> controls
void storeControls(const ControlTables& tables, SunParameters& p);  // controls -> record

// What Cancel puts back: every setting of the setting table but the blend mode. Auto
// Preview, the sun centre and the zoom are not settings and stay as they are.
struct SettingsSnapshot {
    SunParameters record;
};
SettingsSnapshot takeSnapshot(const SunParameters& p);
void restoreSnapshot(const SettingsSnapshot& s, SunParameters& p);

// ---------------------------------------------------------------------------------------
// [control arithmetic]

// Left edge of a slider's thumb for a value (range at least 1).
int sliderThumbLeft(const PixelRect& slider, int32_t value, int32_t minValue, int32_t maxValue);
// Slider value for the pointer's horizontal client coordinate, clamped to the range.
int32_t sliderValueAt(const PixelRect& slider, int pointerX, int32_t minValue, int32_t maxValue);

// Toggle states: bit 1 = on, bit 2 = pressed.
constexpr int32_t kToggleOn = 1;
constexpr int32_t kTogglePressed = 2;
// The state while the mouse holds the toggle, for a pointer inside or outside it.
int32_t toggleTrack(int32_t value, bool inside);
// The state after the release: a pressed toggle flips; *flipped reports whether it did.
int32_t toggleRelease(int32_t value, bool* flipped);

struct PixelPoint {
    int x, y;
};
// Where the knob of a direction pad sits for a vector.
PixelPoint padKnob(const PixelRect& pad, const Vector3f& v);
// The line from the pad's centre starts here.
inline PixelPoint padLineStart(const PixelRect& pad) { return {pad.left + 41, pad.top + 40}; }
// Vector x and y for a pointer over (or beyond) a pad; length 1 from 33 pixels out.
void padVectorAt(const PixelRect& pad, int pointerX, int pointerY, Vector3f* v);
// Line colour of a pad: yellow for z >= 0, magenta below (0x00BBGGRR).
uint32_t padLineColour(const Vector3f& v);

// Text alignment of drawText.
enum TextAlign : int { alignLeft = 0, alignCentre = 1, alignRight = 2 };
// Top-left of a text of the given width drawn into r with vertical offset dy.
PixelPoint textOrigin(const PixelRect& r, int align, int textWidth, int dy);

// Position of a dialog of size (w, h) over its parent's client rectangle `parent`
// (screen coordinates) on a screen of the given size. `shift` is the caption height, or
// two thirds of it for windows without a system menu. Never off the screen's left or top.
PixelPoint centredDialogOrigin(const PixelRect& parent, int w, int h, int shift, int screenWidth,
                               int screenHeight);
// Position of a window of size (w, h) centred on its parent's window rectangle.
PixelPoint centredOnParent(const PixelRect& parent, int w, int h);

// Decimal text of a value box (no leading zeros or blanks, minus for negatives).
void valueText(int32_t value, char out[12]);

}  // namespace rx::ui
