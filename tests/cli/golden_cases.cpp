// Writes the golden-image matrix for the cross-build test: per case <name>.png, <name>_mask.png
// when it has a selection, and a line of cases.txt: the name, then its `radiantix render`
// arguments, separated by tabs. `--compare A B` exits 0 when two image files hold the same
// pixels (the builds encode PNG with different libraries, so the bytes may differ).
#include <cstdio>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/image_io.h"
#include "tests/golden/golden_matrix.h"

namespace {

bool writePng(const std::string& path, const rx::cli::Image& image) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!rx::cli::encodeImage(image, rx::cli::ImageFormat::Png, bytes, error) ||
        !rx::cli::writeFileAtomically(path, bytes, error)) {
        std::fprintf(stderr, "golden_cases: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int compare(const std::string& a, const std::string& b) {
    rx::cli::Image x, y;
    std::string error;
    if (!rx::cli::loadImage(a, x, error) || !rx::cli::loadImage(b, y, error)) {
        std::fprintf(stderr, "golden_cases: %s\n", error.c_str());
        return 2;
    }
    if (x.width == y.width && x.height == y.height && x.channels == y.channels &&
        x.depth == y.depth && x.pixels == y.pixels)
        return 0;
    std::fprintf(stderr, "golden_cases: %s and %s hold different pictures\n", a.c_str(), b.c_str());
    return 1;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--compare") return compare(argv[2], argv[3]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: radiantix_golden_cases OUTPUT_FOLDER | --compare A B\n");
        return 2;
    }
    const std::string dir = argv[1];
    FILE* list = std::fopen((dir + "/cases.txt").c_str(), "wb");
    if (!list) {
        std::fprintf(stderr, "golden_cases: cannot write %s/cases.txt\n", dir.c_str());
        return 1;
    }
    for (const rx::golden::GoldenCase& c : rx::golden::goldenMatrix()) {
        const int32_t channels = c.planes + (c.alpha ? 1 : 0);
        if (!writePng(dir + "/" + c.name + ".png",
                      {c.width, c.height, channels, c.depth, rx::golden::goldenBytes(c), {}, {}}))
            return 1;
        std::string line = c.name;
        if (c.mask) {
            if (!writePng(dir + "/" + c.name + "_mask.png",
                          {c.width, c.height, 1, 8, rx::golden::goldenMask(c), {}, {}}))
                return 1;
            line += "\t--mask\t" + c.name + "_mask.png";
        }
        if (c.center)
            line += "\t--center\t" + std::to_string(c.centerX) + "," + std::to_string(c.centerY);
        for (const std::string& s : c.settings) line += "\t--set\t" + s;
        std::fprintf(list, "%s\n", line.c_str());
    }
    return std::fclose(list) == 0 ? 0 : 1;
}
