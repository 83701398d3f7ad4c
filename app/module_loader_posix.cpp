#include <dlfcn.h>

#include "app/module_loader.h"
#include "app/system.h"

#include <cstdio>

namespace rx::cli {

std::unique_ptr<FilterModule> FilterModule::open(const std::string& path, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "module \"" + path + "\" not found (give its path with --module)";
        return nullptr;
    }
    std::fclose(f);
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        const char* why = dlerror();
        error = "\"" + path + "\" is not a filter module (" + (why ? why : "cannot load") + ")";
        return nullptr;
    }
    void* sym = dlsym(lib, "ENTRYPOINT");
    if (!sym) {
        dlclose(lib);
        error = "\"" + path + "\" is not a filter module (no ENTRYPOINT)";
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
