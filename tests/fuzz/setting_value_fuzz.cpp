// Any text as a --set assignment (the first byte picks the field, the rest is the value):
// no sanitizer report; a refused value leaves the record as it was, and an accepted one
// keeps the setting in range and reads back from its own text form to the same record.
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/setting_values.h"
#include "host/types/setting_table.h"

using namespace rx;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    const SettingInfo& s = table[data[0] % count];
    const std::string value(reinterpret_cast<const char*>(data + 1), size - 1);
    SunParameters* before = new SunParameters();  // zero-filled
    SunParameters* after = new SunParameters(*before);
    std::string error;
    if (!cli::applyAssignment(std::string(s.name) + "=" + value, *after, error)) {
        check(std::memcmp(before, after, sizeof *before) == 0 && !error.empty());
    } else {
        check(cli::settingInRange(s, *after));
        std::string text = cli::settingJson(s, *after);
        if (s.kind == SettingKind::Colour) text = text.substr(1, text.size() - 2);
        if (s.kind == SettingKind::Vector) text = cli::formatVector(*settingVector(*after, s));
        SunParameters* again = new SunParameters(*before);
        check(cli::applyAssignment(std::string(s.name) + "=" + text, *again, error));
        check(std::memcmp(again, after, sizeof *after) == 0);
        delete again;
    }
    delete before;
    delete after;
    return 0;
}
