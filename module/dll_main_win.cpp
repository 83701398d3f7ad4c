// Load entry of the module: keeps the instance handle for resource loads.
#include <windows.h>

#include "host/render_run.h"
#include "platform/module_instance.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) rx::platform::setModuleInstance(instance);
    // Unloaded by FreeLibrary (reserved null): runs a host dropped without ending them
    // still have parked threads. At process exit (reserved set) those threads are gone.
    if (reason == DLL_PROCESS_DETACH && !reserved) rx::endAllRenderRuns();
    return TRUE;
}
