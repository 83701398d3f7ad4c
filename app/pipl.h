// Reading a filter module's property list (the "PIPL" resource) as hosts do: check that it
// describes a filter and find the entry point's name under the key of this architecture.
// Pure byte parsing, so it is tested on every platform; the Windows loader feeds it the
// resource bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rx::cli {

struct PiplInfo {
    bool isFilter = false;   // 'kind' is '8BFM'
    uint32_t version = 0;    // 'vers': major << 16 | minor
    std::string name;        // 'name'
    std::string category;    // 'catg'
    std::string entryPoint;  // under the requested code key; empty when absent
};

// The code key for this build's architecture: '8664' on x64, 'wx86' on x86.
uint32_t hostEntryPointKey();

// Parses one property list. Returns false with a reason when the bytes are not a
// well-formed property list; a list that describes no filter or has no entry point for
// `entryKey` parses fine and says so in the result.
bool parsePipl(const uint8_t* data, size_t size, uint32_t entryKey, PiplInfo& info,
               std::string& error);

}  // namespace rx::cli
