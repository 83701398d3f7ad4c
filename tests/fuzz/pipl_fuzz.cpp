// Any bytes as a module's property list ("PIPL" resource) under both entry-point keys: no
// sanitizer report, a reason for every refusal, and strings no longer than the data.
#include <cstdlib>

#include "app/pipl.h"
#include "host/types/plugin_api.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy so that the address sanitizer sees the end of the data.
    uint8_t* exact = new uint8_t[size ? size : 1];
    if (size) __builtin_memcpy(exact, data, size);
    for (uint32_t key : {rx::fourCC('8', '6', '6', '4'), rx::fourCC('w', 'x', '8', '6')}) {
        rx::cli::PiplInfo info;
        std::string error;
        bool ok = rx::cli::parsePipl(exact, size, key, info, error);
        if (!ok && error.empty()) std::abort();
        if (info.name.size() > size || info.category.size() > size || info.entryPoint.size() > size)
            std::abort();
    }
    delete[] exact;
    return 0;
}
