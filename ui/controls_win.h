// The custom controls of the settings dialog, painted over the background picture:
// sliders with value boxes, labels, toggles and direction pads (the mode pickers and the
// owner-drawn buttons are drawn by mode_lists and buttons_draw). Every function takes the dialog
// window and draws through a device context of its own, so that a control can be repainted in the
// middle of a drag.
#pragma once

#include <windows.h>

#include "ui/control_model.h"

namespace rx::ui {

// The state of the one settings dialog that can be open: the session it edits and the
// control tables indexed by control id.
struct DialogState {
    FilterSession* session = nullptr;
    ControlTables controls{};
    SettingsSnapshot snapshot{};
};
DialogState& dialogState();
SunParameters& dialogRecord();   // the settings record of the dialog's session
int32_t controlEnabled(int id);  // the session's flag; 1 when there is no work buffer

int32_t getControlValue(int id);
void setControlValue(int id, int32_t value);

void drawControl(HWND window, int id);  // by kind; buttons and pads are drawn elsewhere
void drawSlider(HWND window, int id);
void drawValueBox(HWND window, int valueBoxId);
void drawLabel(HWND window, int id);
void drawToggle(HWND window, int id, int32_t state);
void drawDirectionPad(HWND window, int id, const Vector3f& v);
// One pointer-move step of a drag.
void dragSlider(HWND window, int id, LPARAM pointer);
void trackToggle(HWND window, int id, LPARAM pointer);
void dragDirectionPad(HWND window, int id, LPARAM pointer);

}  // namespace rx::ui
