// The settings dialog "RADIANTIXPARAM1" and its dialog procedure DissolveProc: layout,
// start-up, painting, commands, mouse capture and drag dispatch, the refresh cycle, and
// OK / Cancel. The controls themselves are in controls_win (sliders, toggles, pads),
// mode_lists (pickers), buttons_draw (button faces) and preview_panel (the preview).
//
// Sections: [refresh] [start] [painting] [commands] [mouse] [procedure] [entry]
#include <windows.h>

#include <cstdlib>

#include "host/settings_dialog.h"
#include "settings/random_settings.h"
#include "ui/buttons_draw.h"
#include "ui/colour_chooser.h"
#include "ui/controls_win.h"
#include "ui/dialog_utils_win.h"
#include "ui/mode_lists.h"
#include "ui/paint_clip_win.h"
#include "ui/preset_dialogs.h"
#include "ui/preview_panel.h"
#include "ui/shown_state_win.h"

extern "C" INT_PTR CALLBACK DissolveProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept;

namespace rx::ui {

namespace {

FilterSession& session() { return *dialogState().session; }

int pointerX(LPARAM p) { return static_cast<int16_t>(LOWORD(p)); }
int pointerY(LPARAM p) { return static_cast<int16_t>(HIWORD(p)); }

// Makes every control show what the record holds, after anything that may have changed
// the record behind the controls' back (Dice, Ecce, Load, Save, the dialog's start): the
// integer settings go into the control table, and the whole dialog with every button
// (the colour swatches are buttons) is repainted, background first, so that no control
// keeps an old value, in part or in whole.
void showRecord(HWND window) {
    loadControls(dialogState().controls, dialogRecord());
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void storeAll() { storeControls(dialogState().controls, dialogRecord()); }

// ---------------------------------------------------------------------------------------
// [refresh]

void refresh(HWND window) {
    storeAll();
    renderPreview(session());
    invalidateControl(window, idPreview);
}

// Copies the Auto Preview toggle into the record; true when it is on.
bool autoPreviewOn() {
    SunParameters& p = dialogRecord();
    p.autoPreview = static_cast<uint32_t>(getControlValue(idAutoPreview));
    return p.autoPreview != 0;
}

void refreshIfAutoPreview(HWND window) {
    if (autoPreviewOn()) refresh(window);
}

// ---------------------------------------------------------------------------------------
// [start]

void layOut(HWND window) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int extraW = (outer.right - outer.left) - (client.right - client.left);
    const int extraH = (outer.bottom - outer.top) - (client.bottom - client.top);
    MoveWindow(window, 0, 0, kClientWidth + extraW, kClientHeight + extraH, FALSE);
    for (int id = 1; id <= 115; ++id) {
        HWND control = GetDlgItem(window, id);
        PixelRect r;
        if (control && layoutRect(id, &r))
            MoveWindow(control, r.left, r.top, r.width(), r.height(), FALSE);
    }
}

void paintAll(HWND window);

void startDialog(HWND window, FilterSession* s) {
    DialogState& state = dialogState();
    state.session = s;
    layOut(window);
    centerDialog(window);
    if (s->workBuffer)
        for (int id = 0; id < kControls; ++id) s->workBuffer->controlEnabled[id] = 1;
    SunParameters& p = dialogRecord();
    p.previewRendering = 1;
    p.dragControl = -1;
    state.snapshot = takeSnapshot(p);
    fillPictureTables(state.controls);
    registerPopupClass();
    buildModeLists(state.controls.value);
    setSliderRanges(state.controls);
    showRecord(window);
    storeAll();
    if (p.hostPreview) {
        startDialogPreview(window, *s);
        setWaitCursor();
        if (*s->result == 0) {
            renderPreview(*s);
        } else {
            p.hostPreview = 0;
            *s->result = 0;
        }
        setArrowCursor();
    }
    updateZoomButtons(window, *s);
    paintAll(window);
}

// ---------------------------------------------------------------------------------------
// [painting]

void paintAll(HWND window) {
    SunParameters& p = dialogRecord();
    if (p.hostPreview) showPreview(window, session(), true);

    const RECT status = controlRect(window, idStatusLine);
    if (HDC dc = controlDC(window)) {
        IntersectClipRect(dc, status.left, status.top, status.right, status.bottom);
        blitPicture(dc, picBackground, 0, 0);
        drawText(status, alignCentre, p.presetName, -2, RGB(0, 0, 0), dc);
        ReleaseDC(window, dc);
        noteShownText(window, idStatusLine, status, p.presetName);
    }
    for (int id = 0; id < kControls; ++id) drawControl(window, id);
    drawDirectionPad(window, idSpikePad, p.spikeVector);
    drawDirectionPad(window, idFlarePad, p.flareVector);
}

void eraseBackground(HWND window, HDC dc) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    blitPicture(dc, picBackground, 0, 0);
}

void drawItem(HWND window, const DRAWITEMSTRUCT& item) {
    SunParameters& p = dialogRecord();
    const int id = static_cast<int>(item.CtlID);
    switch (id) {
        case 0: drawModeItem(item); break;
        case idCancel: drawTextButton(window, id, item, 0xFFFFFF, "Cancel"); break;
        case idZoomIn:
        case idZoomOut: {
            const bool enabled = controlEnabled(id) == 1;
            drawTextButton(window, id, withDisabled(item, !enabled), 0xFFFFFF,
                           id == idZoomIn ? "+" : "-");
            noteShownWhole(window, id, enabled);
            break;
        }
        case idZoomReset: drawZoomPercent(session(), item); break;
        case idSunSwatch:
        case idFlareSwatch:
        case idHaloSwatch:
        case idSpikeSwatch: {
            const RGB16& c = id == idSunSwatch     ? p.sunColor
                             : id == idFlareSwatch ? p.flareColor
                             : id == idHaloSwatch  ? p.haloColor
                                                   : p.spikeColor;
            const COLORREF colour = RGB(c.red >> 8, c.green >> 8, c.blue >> 8);
            drawColourSwatch(window, id, item, colour);
            noteShownWhole(window, id, intptr_t(colour));
            break;
        }
        case idSave:
        case idLoad:
        case idDice:
        case idEcce: drawPictureButton(window, id, item, describeControl(id).pictures[0]); break;
        default: break;
    }
}

// ---------------------------------------------------------------------------------------
// [commands]

void closeDialog(HWND window, int16_t result, int id) {
    releaseModeLists();
    *session().result = result;
    EndDialog(window, id);
}

// The swatch commands: which colour and which prompt.
bool swatchColour(int id, RGB16** colour, const char** prompt) {
    SunParameters& p = dialogRecord();
    switch (id) {
        case idSunSwatch:
            *colour = &p.sunColor;
            *prompt = "Choose the sun color.";
            return true;
        case idFlareSwatch:
            *colour = &p.flareColor;
            *prompt = "Choose the flare color.";
            return true;
        case idSpikeSwatch:
            *colour = &p.spikeColor;
            *prompt = "Choose the spike color.";
            return true;
        case idHaloSwatch:
            *colour = &p.haloColor;
            *prompt = "Choose the halo color.";
            return true;
        default: return false;
    }
}

INT_PTR command(HWND window, int id, int notification) {
    if (id >= 2000) {
        pickMode(id);
        storeAll();
        drawModePicker(window, idBlendPicker);
        drawModePicker(window, idLightingPicker);
        refreshIfAutoPreview(window);
        return TRUE;
    }
    if (id >= 2 && id <= 75 && notification != 0) return TRUE;
    RGB16* colour = nullptr;
    const char* prompt = nullptr;
    if (swatchColour(id, &colour, &prompt)) {
        chooseColor(session(), prompt, *colour);
        invalidateControl(window, id);
        refreshIfAutoPreview(window);
        return FALSE;
    }
    switch (id) {
        case idOk:
            storeAll();
            closeDialog(window, noErr, idOk);
            return TRUE;
        case idCancel:
            restoreSnapshot(dialogState().snapshot, dialogRecord());
            closeDialog(window, userCanceledErr, idCancel);
            return TRUE;
        case idLoad:
            loadPresetFile(session());
            showRecord(window);
            refresh(window);
            return TRUE;
        case idSave:
            savePresetFile(session());
            showRecord(window);
            return TRUE;
        case idDice:
            randomizeSettings(session());
            showRecord(window);
            refresh(window);
            return TRUE;
        case idEcce:
            newSeed(session());
            showRecord(window);
            refresh(window);
            return TRUE;
        case idZoomIn:
        case idZoomOut:
        case idZoomReset: {
            const bool changed = zoomButton(window, session(), id);
            updateZoomButtons(window, session());
            if (changed) refresh(window);
            return TRUE;
        }
        default: return FALSE;
    }
}

// ---------------------------------------------------------------------------------------
// [mouse]

void buttonDown(HWND window, WPARAM wParam, LPARAM lParam) {
    SunParameters& p = dialogRecord();
    const int id = controlAt(pointerX(lParam), pointerY(lParam));
    if (id == idPreview) {
        if (pressPreview(window, session(), lParam)) refreshIfAutoPreview(window);
        return;
    }
    if (isCapturable(id)) {
        SetCapture(window);
        p.dragControl = id;
        p.dragging = 0;
        PostMessageA(window, WM_MOUSEMOVE, wParam, lParam);
        p.previousMouse.h = -999;
        return;
    }
    if ((id == idBlendPicker || id == idLightingPicker) && controlEnabled(id)) {
        POINT screen{pointerX(lParam), pointerY(lParam)};
        ClientToScreen(window, &screen);
        openModePicker(listOfPicker(id), screen.x, screen.y, window);
    }
}

void mouseMove(HWND window, LPARAM lParam) {
    SunParameters& p = dialogRecord();
    if (p.dragControl == -1) {
        const bool overPreview = controlAt(pointerX(lParam), pointerY(lParam)) == idPreview;
        const bool zoomedIn = p.hostPreview && p.previewScale < session().fitScale;
        if (!overPreview || !zoomedIn) setArrowCursor();
    }
    const int id = p.dragControl;
    if (id == idPreview)
        panPreview(window, session(), lParam);
    else if (id == idSpikePad || id == idFlarePad)
        dragDirectionPad(window, id, lParam);
    else if (id >= 0 && isSlider(id))
        dragSlider(window, id, lParam);
    else if (id >= 0 && isToggle(id))
        trackToggle(window, id, lParam);
}

void buttonUp(HWND window, LPARAM lParam) {
    SunParameters& p = dialogRecord();
    ReleaseCapture();
    bool changed = true;
    if (p.dragControl == idPreview && !p.dragging) releasePreview(window, session(), lParam);
    if (p.dragControl >= 0 && isToggle(p.dragControl)) {
        bool flipped = false;
        const int id = p.dragControl;
        setControlValue(id, toggleRelease(getControlValue(id), &flipped));
        if (flipped)
            drawToggle(window, id, getControlValue(id));
        else
            changed = false;
    }
    if (!autoPreviewOn()) changed = false;
    if (p.dragControl == -1) return;
    p.dragControl = -1;
    // The record holds what the controls show even when nothing is rendered (Auto Preview
    // off), so that Save, Ecce and the cache never see older values than the sliders.
    storeAll();
    if (changed) refresh(window);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// [procedure]

INT_PTR dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        startDialog(window, reinterpret_cast<FilterSession*>(lParam));
        return FALSE;
    }
    if (!dialogState().session) return FALSE;
    switch (message) {
        case WM_PAINT: {
            // Validate and erase first (BeginPaint sends the erase message), so that the
            // background does not cover the controls drawn afterwards; then draw what
            // was invalid.
            PAINTSTRUCT ps;
            BeginPaint(window, &ps);
            EndPaint(window, &ps);
            PaintClip clip(ps.rcPaint);
            paintAll(window);
            return FALSE;
        }
        case WM_ERASEBKGND: eraseBackground(window, reinterpret_cast<HDC>(wParam)); return TRUE;
        case WM_DRAWITEM:
            drawItem(window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_MEASUREITEM:
            if (wParam != 0) return FALSE;
            measureModeItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_COMMAND: return command(window, LOWORD(wParam), HIWORD(wParam));
        case WM_LBUTTONDOWN: buttonDown(window, wParam, lParam); return TRUE;
        case WM_MOUSEMOVE: mouseMove(window, lParam); return TRUE;
        case WM_LBUTTONUP: buttonUp(window, lParam); return TRUE;
        default: return FALSE;
    }
}

}  // namespace rx::ui

// ---------------------------------------------------------------------------------------
// [entry]

extern "C" INT_PTR CALLBACK DissolveProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept try {
    return rx::ui::dialogProcedure(window, message, wParam, lParam);
} catch (...) {
    // Nothing may unwind into the system's message loop: the dialog closes as if
    // cancelled and the settings stay unconfirmed.
    EndDialog(window, 0);
    return TRUE;
}

namespace rx {

void RunSettingsDialog(FilterSession& session) {
    HWND owner = nullptr;
    const FilterRecord* record = session.filterRecord;
    if (record && record->platformData)
        owner =
            reinterpret_cast<HWND>(static_cast<const PlatformData*>(record->platformData)->hwnd);
    const INT_PTR shown = DialogBoxParamA(ui::resourceInstance(), "RADIANTIXPARAM1", owner,
                                          DissolveProc, reinterpret_cast<LPARAM>(&session));
    // A dialog that could not be opened must not render settings nobody confirmed.
    if (shown == -1 || shown == 0) *session.result = userCanceledErr;
    ui::dialogState().session = nullptr;
}

}  // namespace rx
