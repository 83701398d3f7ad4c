// The two mode pickers (blend mode 73, lighting mode 101) and their popup lists: a table
// of 14 entries with 32 x 32 pictures, the popup window class "PopupClass", and the
// owner-draw handlers of the entries.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rx::ui {

constexpr int kModeEntryCount = 14;
constexpr int kFirstModeCommand = 2000;
constexpr int kModeRowHeight = 36;
constexpr int kCheckMarkIcon = 202;

struct ModeEntry {
    HMENU list;
    int32_t commandId;
    int32_t value;
    int32_t picker;
    HBITMAP picture;
    int32_t enabled;
};

// Picture resource of an entry (index 0..13), and its name.
int32_t modePicture(int index);
const char* modeEntryName(int index);
// The name of a mode value in a picker's list: "*" when the value is outside the list.
const char* modeName(int picker, int32_t value);

// Registers "PopupClass" (once per module; later calls are harmless).
void registerPopupClass();
// Creates the two lists and the 14 entries; `controlValues` is the dialog's controlValue
// table (150 entries), read for the current modes and written by pickMode.
void buildModeLists(int32_t* controlValues);
// Deletes every picture and destroys both lists.
void releaseModeLists();

const ModeEntry* modeEntries();  // kModeEntryCount entries (after buildModeLists)
HMENU blendList();
HMENU lightingList();
HMENU listOfPicker(int picker);

// Paints a picker into the dialog (dc null: a device context of the window is used).
void drawModePicker(HWND window, int picker, HDC dc = nullptr);
// Opens the popup of a list at a screen point, owned by the dialog; the mouse is captured
// by the popup until the button is released. Returns the popup window.
HWND openModePicker(HMENU list, int screenX, int screenY, HWND owner);
// Popup position for a list of the given size at a press point on a screen.
POINT popupPosition(int pressX, int pressY, int width, int height, int screenWidth,
                    int screenHeight);
// Command ids 2000 and above: stores the entry's value as its picker's value and returns
// the picker id (0 for an unknown command).
int pickMode(int commandId);

// Owner-draw of one entry (itemID = its command id) and its measurement.
void drawModeItem(const DRAWITEMSTRUCT& item);
void measureModeItem(MEASUREITEMSTRUCT* item);

// The open popup (null when none) and its highlighted row (1-based, 0 none); for tests.
HWND openPopup();
int popupHoverRow();

}  // namespace rx::ui
