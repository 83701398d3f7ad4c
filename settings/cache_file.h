// The cache of the last accepted settings: a preset file in a per-user folder.
#pragma once

#include <string>

#include "host/types/filter_session.h"

namespace rx {

std::string cacheFilePath();                  // empty when no folder can be found
void readCacheFile(FilterSession& session);   // silent when missing or unreadable
void writeCacheFile(FilterSession& session);  // atomic replace; silent on failure

}  // namespace rx
