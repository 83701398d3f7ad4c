#include "host/default_record.h"

#include <cstring>

#include "host/types/setting_table.h"

namespace rx {

void ApplyDefaults(SunParameters& p) {
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const SettingInfo& s = table[i];
        if (!s.hasDefault) continue;
        switch (s.kind) {
            case SettingKind::Colour: *settingColour(p, s) = s.defaultColour; break;
            case SettingKind::Vector: *settingVector(p, s) = Vector3f{0.0f, 0.0f, 0.0f}; break;
            default: *settingInt(p, s) = s.defaultValue; break;
        }
    }
    p.haloColor2 = p.haloColor;
    p.signature = kRecordSignature;
    p.recordSize = sizeof(SunParameters);
}

void MakeDefaultRecord(SunParameters& p) {
    std::memset(&p, 0, sizeof p);
    p.previewScale = 1;
    p.autoPreview = 1;
    ApplyDefaults(p);
}

}  // namespace rx
