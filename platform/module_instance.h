// The module's instance handle (HINSTANCE on Windows), kept at load for resource loads.
// Null in native builds.
#pragma once

namespace rx::platform {

void* moduleInstance();
void setModuleInstance(void* instance);

}  // namespace rx::platform
