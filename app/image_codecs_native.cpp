// The formats of the native build: every one has its codec here.
#include "app/image_codecs.h"

namespace rx::cli::codec {

bool builtIn(ImageFormat format) { return format != ImageFormat::Unknown; }

}  // namespace rx::cli::codec
