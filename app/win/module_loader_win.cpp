// Windows loader of filter modules: LoadLibrary, then the "PIPL" resources as hosts read
// them, then GetProcAddress of the entry point named under this architecture's code key.
#include <windows.h>

#include <vector>

#include "app/module_loader.h"
#include "app/pipl.h"
#include "app/system.h"

namespace rx::cli {

namespace {

struct PiplSearch {
    HMODULE module;
    PiplInfo found;
    bool sawList = false;
    bool sawFilter = false;
    std::string error;
};

BOOL CALLBACK onPipl(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    auto* search = reinterpret_cast<PiplSearch*>(context);
    HRSRC res = FindResourceA(module, name, type);
    HGLOBAL loaded = res ? LoadResource(module, res) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return TRUE;
    search->sawList = true;
    PiplInfo info;
    std::string error;
    if (!parsePipl(static_cast<const uint8_t*>(data), SizeofResource(module, res),
                   hostEntryPointKey(), info, error)) {
        search->error = error;
        return TRUE;
    }
    if (!info.isFilter) return TRUE;
    search->sawFilter = true;
    if (info.entryPoint.empty()) return TRUE;
    search->found = info;
    return FALSE;  // the first filter with an entry point for this architecture
}

std::string lastErrorText() {
    DWORD code = GetLastError();
    char buf[256] = {0};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, buf, sizeof buf, nullptr);
    while (n > 0 &&
           (buf[n - 1] == '\n' || buf[n - 1] == '\r' || buf[n - 1] == ' ' || buf[n - 1] == '.'))
        buf[--n] = 0;
    return n ? std::string(buf) : "error " + std::to_string(code);
}

}  // namespace

std::unique_ptr<FilterModule> FilterModule::open(const std::string& given, std::string& error) {
    // A bare file name is the one in the current folder, as the check below sees it, not
    // one LoadLibrary would find along its search path.
    const std::string path =
        given.find_first_of("\\/:") == std::string::npos ? ".\\" + given : given;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "module \"" + path + "\" not found (give its path with --module)";
        return nullptr;
    }
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE lib = LoadLibraryA(path.c_str());
    if (!lib) {
        error = "\"" + path + "\" is not a filter module (" + lastErrorText() + ")";
        return nullptr;
    }
    PiplSearch search{lib, {}, false, false, {}};
    EnumResourceNamesA(lib, "PIPL", onPipl, reinterpret_cast<LONG_PTR>(&search));
    const char* arch = sizeof(void*) == 8 ? "x64" : "x86";
    FARPROC proc = nullptr;
    if (!search.found.entryPoint.empty())
        proc = GetProcAddress(lib, search.found.entryPoint.c_str());
    if (!proc) {
        FreeLibrary(lib);
        if (!search.sawList)
            error = "\"" + path + "\" is not a filter module (no PIPL resource)";
        else if (!search.sawFilter)
            error = "\"" + path + "\" is not a filter module (" +
                    (search.error.empty() ? "its PIPL describes no filter" : search.error) + ")";
        else if (search.found.entryPoint.empty())
            error = "\"" + path + "\" has no entry point for " + arch + " hosts";
        else
            error = "\"" + path + "\" does not export its entry point \"" +
                    search.found.entryPoint + "\"";
        return nullptr;
    }
    std::unique_ptr<FilterModule> m(new FilterModule);
    m->library_ = lib;
    m->entry_ = reinterpret_cast<PluginEntryProc>(reinterpret_cast<void*>(proc));
    m->path_ = path;
    m->name_ = search.found.name;
    m->category_ = search.found.category;
    m->entryName_ = search.found.entryPoint;
    return m;
}

FilterModule::~FilterModule() {
    if (library_) FreeLibrary(static_cast<HMODULE>(library_));
}

std::string defaultModulePath() {
    // Each build looks for the module of its own architecture: a 32-bit program cannot
    // load the 64-bit module, nor the other way round.
#if defined(_WIN64)
    const std::string name = "Radiantix.8bf";
#else
    const std::string name = "Radiantix32.8bf";
#endif
    std::string dir = executableDirectory();
    const std::string candidates[] = {dir + "\\" + name, dir + "\\..\\module\\" + name};
    for (const std::string& c : candidates)
        if (GetFileAttributesA(c.c_str()) != INVALID_FILE_ATTRIBUTES) return c;
    return candidates[1];
}

}  // namespace rx::cli
