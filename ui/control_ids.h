// The ids of the settings dialog's controls that the code names, defined once for the
// control model, the preview, the mode pickers and the dialog resource's generator.
// Sliders, their value boxes and labels are named only by their row in the control table.
#pragma once

namespace rx::ui {

enum ControlId : int {
    idCancel = 2,
    idOk = 3,
    idSunSwatch = 7,
    idFlareSwatch = 8,
    idHaloSwatch = 9,
    idSpikeSwatch = 14,
    idPreview = 18,
    idSave = 26,
    idAutoPreview = 30,
    idAutoPreviewLabel = 31,
    idZoomIn = 32,
    idZoomOut = 33,
    idZoomReset = 34,
    idLoad = 35,
    idVortices = 48,
    idMonopoles = 52,
    idDice = 72,
    idBlendPicker = 73,
    idEcce = 75,
    idStatusLine = 76,
    idFlarePad = 100,
    idLightingPicker = 101,
    idBowInvert = 105,
    idSpikePad = 112,
};

}  // namespace rx::ui
