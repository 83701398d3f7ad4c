#include "app/pipl.h"

#include "host/types/plugin_api.h"

namespace rx::cli {

namespace {

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::string pascalString(const uint8_t* p, size_t length) {
    if (length == 0) return "";
    size_t n = p[0];
    if (n > length - 1) n = length - 1;
    return std::string(reinterpret_cast<const char*>(p + 1), n);
}

std::string cString(const uint8_t* p, size_t length) {
    size_t n = 0;
    while (n < length && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace

uint32_t hostEntryPointKey() {
    return sizeof(void*) == 8 ? fourCC('8', '6', '6', '4') : fourCC('w', 'x', '8', '6');
}

bool parsePipl(const uint8_t* data, size_t size, uint32_t entryKey, PiplInfo& info,
               std::string& error) {
    info = PiplInfo{};
    if (size < 10) {
        error = "property list too short";
        return false;
    }
    uint32_t count = le32(data + 6);
    size_t at = 10;
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < 16) {
            error = "property list ends inside property " + std::to_string(i);
            return false;
        }
        uint32_t key = le32(data + at + 4);
        uint32_t length = le32(data + at + 12);
        at += 16;
        if (length > size - at) {
            error = "property " + std::to_string(i) + " runs past the end of the list";
            return false;
        }
        const uint8_t* value = data + at;
        if (key == fourCC('k', 'i', 'n', 'd') && length >= 4)
            info.isFilter = le32(value) == fourCC('8', 'B', 'F', 'M');
        else if (key == fourCC('v', 'e', 'r', 's') && length >= 4)
            info.version = le32(value);
        else if (key == fourCC('n', 'a', 'm', 'e'))
            info.name = pascalString(value, length);
        else if (key == fourCC('c', 'a', 't', 'g'))
            info.category = pascalString(value, length);
        else if (key == entryKey)
            info.entryPoint = cString(value, length);
        // Data is padded to a multiple of 4; tolerate a last property without padding.
        size_t padded = (size_t(length) + 3) & ~size_t(3);
        at += padded <= size - at ? padded : size - at;
    }
    return true;
}

}  // namespace rx::cli
