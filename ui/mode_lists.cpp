// Mode pickers and popup lists. Sections:
//   [entries]  the table of 14 modes, names, building and releasing the lists
//   [picker]   drawing a picker, choosing a mode
//   [popup]    the popup window: position, window procedure, entry drawing and measuring
#include "ui/mode_lists.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "platform/module_instance.h"
#include "ui/buttons_gdi.h"
#include "ui/control_ids.h"
#include "ui/shown_state_win.h"

namespace rx::ui {
namespace {

constexpr char kPopupClass[] = "PopupClass";

struct ModeInfo {
    int32_t value;
    int32_t picker;
    const char* name;
    int32_t picture;
};

constexpr ModeInfo kModes[kModeEntryCount] = {
    {1, idBlendPicker, "normal", 169},       {2, idBlendPicker, "procedural +", 175},
    {3, idBlendPicker, "procedural -", 176}, {4, idBlendPicker, "difference", 177},
    {5, idBlendPicker, "lighten", 178},      {6, idBlendPicker, "darken", 179},
    {7, idBlendPicker, "add", 180},          {8, idBlendPicker, "subtract", 181},
    {9, idBlendPicker, "multiply", 182},     {10, idBlendPicker, "screen", 183},
    {11, idBlendPicker, "composite", 115},   {1, idLightingPicker, "normal", 112},
    {2, idLightingPicker, "flat", 113},      {3, idLightingPicker, "eclipse", 114},
};

// Module-wide: one dialog and one popup at a time.
ModeEntry entries[kModeEntryCount];
HMENU lists[2];  // blend, lighting
int32_t* values = nullptr;

HMENU popupList = nullptr;
HWND popupOwner = nullptr;
HWND popupWindow = nullptr;
int popupHover = 0;
int popupWidth = 0;
bool popupClosing = false;
// How the popup is driven. A press on the picker opens it with the button down
// (`opening`); releasing over an entry chooses it (press, drag, release). Released still
// over the picker, the press was a click: the list stays open (`clickedOpen`) until the
// next click, whose release (`secondClick`) chooses the entry under it or, outside the
// list, closes it; that click goes no further (it never reaches the dialog beneath).
enum class PopupDrive { opening, clickedOpen, secondClick };
PopupDrive popupDrive = PopupDrive::opening;
RECT popupPicker{};  // the picker that opened the popup, in screen coordinates

int32_t currentValue(int32_t picker) { return values ? values[picker] : 0; }

const ModeEntry* entryByCommand(int commandId) {
    for (const ModeEntry& e : entries)
        if (e.commandId == commandId && e.list) return &e;
    return nullptr;
}

int entryIndex(const ModeEntry* e) { return int(e - entries); }

// The entries of a list in index order.
int entriesOf(HMENU list, const ModeEntry** out) {
    int n = 0;
    for (const ModeEntry& e : entries)
        if (list && e.list == list) out[n++] = &e;
    return n;
}

int listWidth(HMENU list) {
    const ModeEntry* members[kModeEntryCount];
    const int count = entriesOf(list, members);
    int width = 0;
    for (int i = 0; i < count; ++i)
        width = std::max(width, GetSystemMetrics(SM_CXMENUCHECK) + 72 +
                                    gdi::textWidth(modeEntryName(entryIndex(members[i]))));
    return width;
}

}  // namespace

// [entries] ------------------------------------------------------------------------------

int32_t modePicture(int index) {
    return index >= 0 && index < kModeEntryCount ? kModes[index].picture : -1;
}

const char* modeEntryName(int index) {
    return index >= 0 && index < kModeEntryCount ? kModes[index].name : "*";
}

const char* modeName(int picker, int32_t value) {
    for (const ModeInfo& m : kModes)
        if (m.picker == picker && m.value == value) return m.name;
    return "*";
}

LRESULT CALLBACK popupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

void registerPopupClass() {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = popupProc;
    wc.hInstance = static_cast<HINSTANCE>(platform::moduleInstance());
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kPopupClass;
    RegisterClassA(&wc);  // fails harmlessly when a previous dialog registered it
}

void buildModeLists(int32_t* controlValues) {
    releaseModeLists();
    values = controlValues;
    lists[0] = CreatePopupMenu();
    lists[1] = CreatePopupMenu();
    for (int i = 0; i < kModeEntryCount; ++i) {
        ModeEntry& e = entries[i];
        e.list = kModes[i].picker == idBlendPicker ? lists[0] : lists[1];
        e.commandId = kFirstModeCommand + i;
        e.value = kModes[i].value;
        e.picker = kModes[i].picker;
        e.picture = gdi::loadPicture(kModes[i].picture);
        e.enabled = 1;
        AppendMenuA(e.list, MF_OWNERDRAW, UINT_PTR(e.commandId), reinterpret_cast<LPCSTR>(&e));
    }
}

void releaseModeLists() {
    for (ModeEntry& e : entries) {
        if (e.picture) DeleteObject(e.picture);
        e = ModeEntry{};
    }
    for (HMENU& list : lists) {
        if (list) DestroyMenu(list);
        list = nullptr;
    }
}

const ModeEntry* modeEntries() { return entries; }
HMENU blendList() { return lists[0]; }
HMENU lightingList() { return lists[1]; }
HMENU listOfPicker(int picker) {
    return picker == idBlendPicker ? lists[0] : picker == idLightingPicker ? lists[1] : nullptr;
}

// [picker] -------------------------------------------------------------------------------

void drawModePicker(HWND window, int picker, HDC dc) {
    HDC own = dc ? nullptr : GetDC(window);
    if (!dc) dc = own;
    const RECT r = gdi::controlRect(window, picker);
    gdi::frame(dc, RECT{r.left, r.top + 2, r.right - 2, r.bottom}, RGB(0, 0, 0), RGB(0, 0, 0));
    gdi::frame(dc, RECT{r.left + 1, r.top + 3, r.right - 3, r.bottom - 1}, RGB(255, 255, 255),
               RGB(255, 255, 255));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, r.right - 1, r.top + 5, nullptr);
    LineTo(dc, r.right - 1, r.bottom + 1);
    LineTo(dc, r.left + 2, r.bottom + 1);
    SelectObject(dc, old);
    DeleteObject(pen);

    // The current mode's picture; an unknown value shows the list's first entry.
    const ModeEntry* members[kModeEntryCount];
    const int count = entriesOf(listOfPicker(picker), members);
    const ModeEntry* shown = count > 0 ? members[0] : nullptr;
    for (int i = 0; i < count; ++i)
        if (members[i]->value == currentValue(picker)) {
            shown = members[i];
            break;
        }
    if (shown) gdi::blitBitmap(dc, shown->picture, r.left + 2, r.top + 4);
    if (own) ReleaseDC(window, own);
    noteShownWhole(window, picker, shown ? shown->value : 0);
}

int pickMode(int commandId) {
    const ModeEntry* e = entryByCommand(commandId);
    if (!e) return 0;
    if (values) values[e->picker] = e->value;
    return e->picker;
}

// [popup] --------------------------------------------------------------------------------

POINT popupPosition(int pressX, int pressY, int width, int height, int screenWidth,
                    int screenHeight) {
    POINT p;
    p.x = pressX;
    if (p.x + width > screenWidth) p.x = pressX - width - 6;
    p.y = std::max(pressY - height / 2, 0);
    if (p.y + height > screenHeight - 32) p.y = screenHeight - 32 - height;
    return p;
}

HWND openModePicker(HMENU list, int screenX, int screenY, HWND owner) {
    const ModeEntry* members[kModeEntryCount];
    const int count = entriesOf(list, members);
    if (count == 0) return nullptr;
    const int width = listWidth(list);
    const int height = kModeRowHeight * count;
    popupList = list;
    popupOwner = owner;
    popupHover = 0;
    popupWidth = width;
    popupClosing = false;
    popupDrive = PopupDrive::opening;
    popupPicker = RECT{};
    if (HWND picker = GetDlgItem(owner, list == lists[0] ? idBlendPicker : idLightingPicker))
        GetWindowRect(picker, &popupPicker);
    const POINT at = popupPosition(screenX, screenY, width, height, GetSystemMetrics(SM_CXSCREEN),
                                   GetSystemMetrics(SM_CYSCREEN));
    popupWindow = CreateWindowExA(0, kPopupClass, "zowie", WS_POPUP | WS_DLGFRAME, at.x, at.y,
                                  width + 8, height + 8, owner, nullptr,
                                  static_cast<HINSTANCE>(platform::moduleInstance()), nullptr);
    if (!popupWindow) return nullptr;
    ShowWindow(popupWindow, SW_SHOW);
    UpdateWindow(popupWindow);
    SetCapture(popupWindow);
    return popupWindow;
}

HWND openPopup() { return popupWindow; }
int popupHoverRow() { return popupHover; }

void drawModeItem(const DRAWITEMSTRUCT& item) {
    const ModeEntry* e = entryByCommand(int(item.itemID));
    if (!e) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool greyed = (item.itemState & ODS_GRAYED) != 0;
    const RECT& r = item.rcItem;
    gdi::fill(item.hDC, r, selected ? GetSysColor(COLOR_HIGHLIGHT) : RGB(192, 192, 192));
    gdi::blitBitmap(item.hDC, e->picture, r.left + 14, r.top + 2);
    if (e->value == currentValue(e->picker)) {
        HICON check =
            static_cast<HICON>(LoadImageA(static_cast<HINSTANCE>(platform::moduleInstance()),
                                          MAKEINTRESOURCEA(kCheckMarkIcon), IMAGE_ICON, 0, 0, 0));
        if (check) {
            DrawIconEx(item.hDC, r.left + 4, r.top + (r.bottom - r.top) / 2 - 2, check, 0, 0, 0,
                       nullptr, DI_NORMAL);
            DestroyIcon(check);
        }
    }
    RECT textRect = r;
    OffsetRect(&textRect, 52, 10);
    const COLORREF colour = greyed     ? RGB(175, 175, 175)
                            : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                       : RGB(0, 0, 0);
    gdi::text(item.hDC, textRect, modeEntryName(entryIndex(e)), colour,
              DT_LEFT | DT_TOP | DT_SINGLELINE);
}

void measureModeItem(MEASUREITEMSTRUCT* item) {
    const ModeEntry* e = entryByCommand(int(item->itemID));
    const char* name = e ? modeEntryName(entryIndex(e)) : "";
    item->itemWidth = UINT(GetSystemMetrics(SM_CXMENUCHECK) + 72 + gdi::textWidth(name));
    item->itemHeight = kModeRowHeight;
}

namespace {

void invalidateRow(HWND window, int row) {
    if (row == 0) return;
    RECT r = {0, kModeRowHeight * (row - 1), popupWidth, kModeRowHeight * row};
    InvalidateRect(window, &r, FALSE);
}

void closePopup(HWND window, bool choose) {
    popupClosing = true;
    ReleaseCapture();
    DestroyWindow(window);
    popupWindow = nullptr;
    if (!choose || popupHover == 0) return;
    const ModeEntry* members[kModeEntryCount];
    const int count = entriesOf(popupList, members);
    if (popupHover > count) return;
    const ModeEntry* e = members[popupHover - 1];
    if (e->enabled) PostMessageA(popupOwner, WM_COMMAND, MAKEWPARAM(e->commandId, 0), 0);
}

}  // namespace

LRESULT CALLBACK popupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept try {
    switch (message) {
        case WM_MOUSEMOVE: {
            const ModeEntry* members[kModeEntryCount];
            const int count = entriesOf(popupList, members);
            const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
            int hover = y / kModeRowHeight + 1;
            if (x < 0 || x > popupWidth || hover < 1 || hover > count) hover = 0;
            if (hover != popupHover) {
                invalidateRow(window, popupHover);
                invalidateRow(window, hover);
                popupHover = hover;
            }
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            const ModeEntry* members[kModeEntryCount];
            const int count = entriesOf(popupList, members);
            for (int n = 1; n <= count; ++n) {
                DRAWITEMSTRUCT item;
                std::memset(&item, 0, sizeof item);
                item.CtlType = ODT_MENU;
                item.itemID = UINT(members[n - 1]->commandId);
                item.itemAction = ODA_DRAWENTIRE;
                item.itemState = (n == popupHover ? ODS_SELECTED : 0) |
                                 (members[n - 1]->enabled ? 0 : ODS_GRAYED);
                item.hwndItem = reinterpret_cast<HWND>(popupList);
                item.hDC = dc;
                item.rcItem = RECT{0, kModeRowHeight * (n - 1), popupWidth, kModeRowHeight * n};
                drawModeItem(item);
            }
            EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(window, &r);
            gdi::fill(reinterpret_cast<HDC>(wParam), r, RGB(192, 192, 192));
            return 1;
        }
        case WM_LBUTTONDOWN:
            if (popupDrive == PopupDrive::clickedOpen) popupDrive = PopupDrive::secondClick;
            return 0;
        case WM_LBUTTONUP: {
            POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(window, &screen);
            if (popupDrive == PopupDrive::opening && popupHover == 0 &&
                PtInRect(&popupPicker, screen)) {
                popupDrive = PopupDrive::clickedOpen;  // a click on the picker: stay open
                return 1;
            }
            if (popupDrive == PopupDrive::clickedOpen) return 1;  // no press of ours
            closePopup(window, true);
            return 1;
        }
        case WM_CAPTURECHANGED:
            // Capture taken away (another application came forward): close without
            // choosing, or the popup would stay open with no button release to close it.
            if (!popupClosing && reinterpret_cast<HWND>(lParam) != window)
                closePopup(window, false);
            return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
} catch (...) {
    // Nothing may unwind into the system's message loop.
    return 0;
}

}  // namespace rx::ui
