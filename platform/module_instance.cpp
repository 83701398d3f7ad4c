#include "platform/module_instance.h"

namespace rx::platform {

namespace {
void* gInstance = nullptr;  // set once at load, read by resource loads
}

void* moduleInstance() { return gInstance; }
void setModuleInstance(void* instance) { gInstance = instance; }

}  // namespace rx::platform
