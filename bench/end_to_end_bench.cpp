// End to end as a user runs it: `radiantix render photo.png -o out.png --set blendMode=10`
// on a 4000 x 3000 photo-like PNG (noise on a gradient), paired with `gegl` loading the same
// file, applying gegl:supernova and saving it, where gegl is installed. Also a smooth image,
// the PNG's size against libpng at its default level, and each run's peak memory.
//
//   end_to_end_bench [RADIANTIX [MODULE]] [--runs N]     (defaults: this build's, 5 runs)
#include <png.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/image_io.h"

extern char** environ;

namespace {

using rx::cli::Image;

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system: steadier than wall time on a busy machine
    long peakMiB = 0;
    bool ok = false;
};

Run runProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
    Run r;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        struct rusage usage {};
        wait4(pid, &status, 0, &usage);
        r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        r.peakMiB = usage.ru_maxrss / 1024;
        r.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A photo stand-in: a diagonal colour gradient with noise of +-`noise` on every channel.
Image photo(int32_t w, int32_t h, int32_t noise) {
    Image img;
    img.width = w, img.height = h, img.channels = 3;
    img.pixels.resize(size_t(w) * h * 3);
    uint32_t state = 12345;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = img.row(y);
        for (int32_t x = 0; x < w; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                state = state * 1664525u + 1013904223u;
                int32_t base = c == 0   ? x * 200 / w + 30
                               : c == 1 ? y * 180 / h + 40
                                        : (x + y) * 120 / (w + h) + 90;
                int32_t n = noise ? int32_t(state >> 24) % (2 * noise + 1) - noise : 0;
                row[x * 3 + c] = uint8_t(std::clamp(base + n, 0, 255));
            }
    }
    return img;
}

bool save(const std::string& path, const Image& img) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (rx::cli::encodeImage(img, rx::cli::ImageFormat::Png, bytes, error) &&
        rx::cli::writeFileAtomically(path, bytes, error))
        return true;
    std::fprintf(stderr, "end_to_end_bench: %s: %s\n", path.c_str(), error.c_str());
    return false;
}

// Size of `path`'s pixels written by libpng at its default settings.
size_t libpngDefaultSize(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return 0;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> px(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) return 0;
    png_alloc_size_t size = 0;
    png_image_write_get_memory_size(image, size, 0, px.data(), 0, nullptr);
    return size;
}

long fileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? long(st.st_size) : -1;
}

bool haveGegl() { return runProgram({"sh", "-c", "command -v gegl"}).ok; }

}  // namespace

int main(int argc, char** argv) {
    std::string exe = RADIANTIX_BENCH_EXE, module = RADIANTIX_BENCH_MODULE;
    int runs = 5;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            positional.push_back(a);
    }
    if (positional.size() >= 1) exe = positional[0];
    if (positional.size() >= 2) module = positional[1];

    char tmpl[] = "/tmp/radiantix-e2e-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = tmpl;
    setenv("RADIANTIX_CACHE_DIR", (dir + "/cache").c_str(), 1);
    const std::string in = dir + "/photo.png", smoothIn = dir + "/smooth.png";
    if (!save(in, photo(4000, 3000, 24)) || !save(smoothIn, photo(4000, 3000, 0))) return 1;
    const bool gegl = haveGegl();
    std::printf("end to end, %d runs (median): %s\n", runs, exe.c_str());

    std::vector<double> ours, theirs, smooth, oursCpu, theirsCpu, smoothCpu;
    long peak = 0, geglPeak = 0, smoothPeak = 0;
    for (int i = 0; i < runs; ++i) {
        Run r = runProgram({exe, "render", "-q", in, "-o", dir + "/out.png", "--set",
                            "blendMode=10", "--module", module});
        if (!r.ok) {
            std::fprintf(stderr, "end_to_end_bench: radiantix failed\n");
            return 1;
        }
        ours.push_back(r.seconds);
        oursCpu.push_back(r.cpuSeconds);
        peak = std::max(peak, r.peakMiB);
        if (gegl) {
            Run g = runProgram({"gegl", in, "-o", dir + "/gegl.png", "--", "gegl:supernova"});
            if (g.ok) {
                theirs.push_back(g.seconds);
                theirsCpu.push_back(g.cpuSeconds);
                geglPeak = std::max(geglPeak, g.peakMiB);
            }
        }
        Run s = runProgram({exe, "render", "-q", smoothIn, "-o", dir + "/smooth_out.png", "--set",
                            "blendMode=10", "--module", module});
        if (s.ok) {
            smooth.push_back(s.seconds);
            smoothCpu.push_back(s.cpuSeconds);
            smoothPeak = std::max(smoothPeak, s.peakMiB);
        }
    }
    const double frameMiB = 4000.0 * 3000 * 3 / (1 << 20);
    std::printf(
        "  photo 4000 x 3000, screen, PNG out: radiantix %.3f s (cpu %.3f s), peak %ld MiB "
        "(one frame is %.0f MiB)\n",
        median(ours), median(oursCpu), peak, frameMiB);
    if (!theirs.empty())
        std::printf(
            "  gegl load + gegl:supernova + save:  %.3f s (cpu %.3f s), peak %ld MiB; "
            "radiantix takes %.2f of gegl's time (goal: at most 0.25)\n",
            median(theirs), median(theirsCpu), geglPeak, median(ours) / median(theirs));
    else
        std::printf("  gegl is not installed: no comparison\n");
    std::printf(
        "  smooth 4000 x 3000, screen, PNG out: %.3f s (cpu %.3f s), peak %ld MiB "
        "(goal: under 0.15 s)\n",
        median(smooth), median(smoothCpu), smoothPeak);
    const long written = fileSize(dir + "/out.png");
    const size_t reference = libpngDefaultSize(dir + "/out.png");
    if (written > 0 && reference > 0)
        std::printf(
            "  PNG written %.1f MB, libpng at its default level %.1f MB: %.2f times "
            "(goal: at most 1.1)\n",
            written / 1e6, reference / 1e6, double(written) / double(reference));
    std::string cleanup = "rm -rf '" + dir + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
