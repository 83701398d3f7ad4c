// Load entry of the module: keeps the instance handle for resource loads.
#include <windows.h>

#include "platform/module_instance.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) rx::platform::setModuleInstance(instance);
    return TRUE;
}
