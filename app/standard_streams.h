// Image bytes through standard input and output (IN or OUT given as "-").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rx::cli {

// Reads standard input to its end, refusing more than kMaxImageFileBytes as a file of that
// size is refused. Stops when interruptRequested() says so. False with one line in `error`.
bool readStandardInput(std::vector<uint8_t>& bytes, std::string& error);

// Writes the bytes to standard output and flushes it. False with one line in `error`.
bool writeStandardOutput(const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace rx::cli
