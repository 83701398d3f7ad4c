#include "app/standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/image_io.h"
#include "app/system.h"

namespace rx::cli {

bool readStandardInput(std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    size_t got = 0;
    for (;;) {
        if (bytes.size() - got < (1u << 16))
            bytes.resize(bytes.size() + (bytes.size() >> 1) + (1u << 20));
        const size_t n = std::fread(bytes.data() + got, 1, bytes.size() - got, stdin);
        got += n;
        if (got > kMaxImageFileBytes) {
            error = "standard input holds more than the largest image file we accept (" +
                    std::to_string(kMaxImageFileBytes >> 20) + " MB)";
            return false;
        }
        if (n > 0) continue;
        if (std::feof(stdin)) break;
        // A signal cuts a read short: the run stops if it was asked to, else reads on.
        const int why = errno;
        if (interruptRequested()) {
            error = "interrupted";
            return false;
        }
        if (why != EINTR) {
            error = std::string("cannot read standard input: ") + std::strerror(why);
            return false;
        }
        std::clearerr(stdin);
    }
    bytes.resize(got);
    return true;
}

bool writeStandardOutput(const std::vector<uint8_t>& bytes, std::string& error) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
        std::fflush(stdout) == 0)
        return true;
    error = std::string("cannot write to standard output: ") + std::strerror(errno);
    return false;
}

}  // namespace rx::cli
