// Loading a filter module file and finding its entry point, as a paint program does.
// Native builds open the shared object and look up `ENTRYPOINT`; Windows builds load the
// .8bf, read its "PIPL" resources and take the entry point named under this architecture's
// code key (app/win/module_loader_win.cpp).
#pragma once

#include <memory>
#include <string>

#include "host/types/plugin_api.h"

namespace rx::cli {

class FilterModule {
public:
    // Loads the module. On failure returns null with a one-line reason in `error`.
    static std::unique_ptr<FilterModule> open(const std::string& path, std::string& error);
    ~FilterModule();
    FilterModule(const FilterModule&) = delete;
    FilterModule& operator=(const FilterModule&) = delete;

    PluginEntryProc entry() const { return entry_; }
    const std::string& path() const { return path_; }
    // From the property list where the platform has one; empty otherwise.
    const std::string& name() const { return name_; }
    const std::string& category() const { return category_; }
    const std::string& entryName() const { return entryName_; }

private:
    FilterModule() = default;
    void* library_ = nullptr;
    PluginEntryProc entry_ = nullptr;
    std::string path_, name_, category_, entryName_;
};

// The module file that `radiantix` uses without --module: the first existing one of the
// usual places next to the executable (the build tree's ../module/ and the executable's own
// folder); when none exists, the first of them, so the error names a sensible path.
std::string defaultModulePath();

}  // namespace rx::cli
