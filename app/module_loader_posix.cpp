#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/module_loader.h"
#include "app/system.h"
#include "platform/user_files.h"

namespace rx::cli {

namespace {

// Whether an ELF file's headers and every segment lie within the file: the loader maps the
// segments, and touching a page past the end of a cut-short file kills the process (SIGBUS).
bool elfWithinFile(const std::vector<uint8_t>& f) {
    ElfW(Ehdr) eh;
    if (f.size() < sizeof eh) return false;
    std::memcpy(&eh, f.data(), sizeof eh);
    const uint64_t size = f.size();
    if (eh.e_phentsize != sizeof(ElfW(Phdr)) || eh.e_phoff > size ||
        uint64_t(eh.e_phnum) * sizeof(ElfW(Phdr)) > size - eh.e_phoff)
        return false;
    for (size_t i = 0; i < eh.e_phnum; ++i) {
        ElfW(Phdr) ph;
        std::memcpy(&ph, f.data() + eh.e_phoff + i * sizeof ph, sizeof ph);
        if (ph.p_offset > size || ph.p_filesz > size - ph.p_offset) return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<FilterModule> FilterModule::open(const std::string& given, std::string& error) {
    // A bare file name is the one in the current folder, as the check below sees it, not
    // one found along the library path.
    const std::string path = given.find('/') == std::string::npos ? "./" + given : given;
    std::vector<uint8_t> bytes;
    std::string why;
    switch (platform::readRegularFile(path, 512u << 20, false, bytes, why)) {
        case platform::ReadResult::Ok: break;
        case platform::ReadResult::CannotOpen:
            error = "module \"" + given + "\" not found (give its path with --module)";
            return nullptr;
        case platform::ReadResult::Failed:
            error = "cannot read module \"" + given + "\": " + why;
            return nullptr;
        default: error = "\"" + given + "\" is not a filter module (not a file)"; return nullptr;
    }
    const uint8_t ownClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
    if (bytes.size() > EI_CLASS && std::memcmp(bytes.data(), ELFMAG, SELFMAG) == 0 &&
        bytes[EI_CLASS] == ownClass && !elfWithinFile(bytes)) {
        error = "module \"" + given + "\" is damaged (cut short?): reinstall it";
        return nullptr;
    }
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        const char* why = dlerror();
        error = "\"" + given + "\" is not a filter module (" + (why ? why : "cannot load") + ")";
        return nullptr;
    }
    void* sym = dlsym(lib, "ENTRYPOINT");
    if (!sym) {
        dlclose(lib);
        error = "\"" + given + "\" is not a filter module (no ENTRYPOINT)";
        return nullptr;
    }
    std::unique_ptr<FilterModule> m(new FilterModule);
    m->library_ = lib;
    m->entry_ = reinterpret_cast<PluginEntryProc>(sym);
    m->path_ = path;
    m->entryName_ = "ENTRYPOINT";
    return m;
}

// The library stays loaded until the process ends, as paint programs keep their filters:
// the module's session memory (reachable only from inside the module) lives as long.
FilterModule::~FilterModule() = default;

std::string defaultModulePath() {
    std::string dir = executableDirectory();
    // The build tree, beside the program, and an installed tree (bin/ and lib/radiantix/).
    const std::string candidates[] = {dir + "/../module/radiantix.so", dir + "/radiantix.so",
                                      dir + "/../lib/radiantix/radiantix.so"};
    for (const std::string& c : candidates) {
        if (FILE* f = std::fopen(c.c_str(), "rb")) {
            std::fclose(f);
            return c;
        }
    }
    return candidates[0];
}

}  // namespace rx::cli
