// The colour chooser. The host's colour-services record differs in size between x86 (36
// bytes) and x64 (56 bytes); its size field always carries the record's size on the
// target, which is what the host checks.
#include "ui/colour_chooser.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "platform/module_instance.h"

namespace rx::ui {

unsigned long* customColours() {
    static COLORREF colours[16] = {
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
    };
    return colours;
}

bool chooseColor(FilterSession& session, const char* prompt, RGB16& colour) {
    const Colour8 in = colourHighBytes(colour);
    FilterRecord* rec = session.filterRecord;
    if (rec && rec->colorServices) {
        // Length-prefixed prompt, at most 255 characters.
        unsigned char promptText[256] = {};
        const size_t length = std::min<size_t>(std::strlen(prompt), 255);
        promptText[0] = uint8_t(length);
        std::memcpy(promptText + 1, prompt, length);

        ColorServicesInfo info;
        std::memset(&info, 0, sizeof info);
        info.infoSize = int32_t(sizeof info);
        info.selector = 0;     // choose a colour
        info.sourceSpace = 0;  // RGB
        info.resultSpace = 0;
        info.colorComponents[0] = in.red;
        info.colorComponents[1] = in.green;
        info.colorComponents[2] = in.blue;
        info.colorComponents[3] = 0;
        info.selectorParameter.pickerPrompt = promptText;
        rec->colorServices(&info);  // the host's result is not examined
        storeColour8(colour, {uint8_t(info.colorComponents[0]), uint8_t(info.colorComponents[1]),
                              uint8_t(info.colorComponents[2])});
        return true;
    }

    CHOOSECOLORA cc;
    std::memset(&cc, 0, sizeof cc);
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = nullptr;
    cc.hInstance = reinterpret_cast<HWND>(platform::moduleInstance());
    cc.rgbResult = RGB(in.red, in.green, in.blue);
    cc.lpCustColors = reinterpret_cast<COLORREF*>(customColours());
    cc.Flags = CC_RGBINIT;
    if (!ChooseColorA(&cc)) return false;
    storeColour8(colour,
                 {GetRValue(cc.rgbResult), GetGValue(cc.rgbResult), GetBValue(cc.rgbResult)});
    return true;
}

}  // namespace rx::ui
