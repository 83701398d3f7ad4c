// End to end as a user runs it: `radiantix render photo.png -o out.png --set blendMode=screen`
// on a 4000 x 3000 photo-like PNG (noise on a gradient), paired with `gegl` loading the same
// file, applying gegl:supernova and saving it, where gegl is installed. Also a smooth image
// (the gradient alone), the PNG's size against libpng at its default level, and each run's
// peak memory. With --baseline, other radiantix programs (older builds, named after their
// files) run the same cases in turn with this one, and the figures stand side by side.
//
//   end_to_end_bench [RADIANTIX [MODULE]] [--runs N] [--baseline RADIANTIX]...
//   (defaults: this build's radiantix and module, 5 runs)
#include <malloc.h>
#include <png.h>
#include <fcntl.h>
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

namespace {

using rx::cli::Image;

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system: steadier than wall time on a busy machine
    long peakMiB = 0;
    bool ok = false;
};

// Runs a program with its output thrown away. fork, not posix_spawn: a child that shares
// this process's memory until it starts the program (vfork) takes this process's peak
// resident memory, with the pictures made here, as the start of its own.
Run runProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Run r;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pid > 0) {
        int status = 0;
        struct rusage usage {};
        wait4(pid, &status, 0, &usage);
        r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        r.peakMiB = usage.ru_maxrss / 1024;
        r.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

// One radiantix's figures over the runs.
struct Figures {
    std::vector<double> photo, photoCpu, smooth, smoothCpu;
    long photoPeak = 0, smoothPeak = 0;
    double pngRatio = 0;
    bool ok = true;

    void add(const Run& p, const Run& s) {
        ok = ok && p.ok && s.ok;
        photo.push_back(p.seconds);
        photoCpu.push_back(p.cpuSeconds);
        smooth.push_back(s.seconds);
        smoothCpu.push_back(s.cpuSeconds);
        photoPeak = std::max(photoPeak, p.peakMiB);
        smoothPeak = std::max(smoothPeak, s.peakMiB);
    }
};

Run renderOnce(const std::string& exe, const std::string& module, const std::string& in,
               const std::string& out) {
    return runProgram(
        {exe, "render", "-q", in, "-o", out, "--set", "blendMode=screen", "--module", module});
}

double pngSizeRatio(const std::string& path) {
    const long written = fileSize(path);
    const size_t reference = libpngDefaultSize(path);
    return written > 0 && reference > 0 ? double(written) / double(reference) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string exe = RADIANTIX_BENCH_EXE, module = RADIANTIX_BENCH_MODULE;
    std::vector<std::string> exes;
    int runs = 5;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--baseline" && i + 1 < argc)
            exes.push_back(argv[++i]);
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
    // A forked program's peak memory counts this process's resident memory at the fork:
    // the freed pictures go back to the system first.
    malloc_trim(0);
    const bool gegl = haveGegl();
    std::printf("end to end, 4000 x 3000 RGB PNG, screen, PNG out; median of %d runs\n", runs);

    exes.push_back(exe);
    std::vector<Figures> figures(exes.size());
    std::vector<double> theirs, theirsCpu;
    long geglPeak = 0;
    for (int i = 0; i < runs; ++i) {
        for (size_t e = 0; e < exes.size(); ++e) {
            const std::string out = dir + "/out" + std::to_string(e) + ".png";
            figures[e].add(renderOnce(exes[e], module, in, out),
                           renderOnce(exes[e], module, smoothIn, dir + "/smooth_out.png"));
            if (i == 0) figures[e].pngRatio = pngSizeRatio(out);
        }
        if (gegl) {
            Run g = runProgram({"gegl", in, "-o", dir + "/gegl.png", "--", "gegl:supernova"});
            if (g.ok) {
                theirs.push_back(g.seconds);
                theirsCpu.push_back(g.cpuSeconds);
                geglPeak = std::max(geglPeak, g.peakMiB);
            }
        }
    }
    for (size_t e = 0; e < exes.size(); ++e)
        if (!figures[e].ok) {
            std::fprintf(stderr, "end_to_end_bench: %s failed\n", exes[e].c_str());
            return 1;
        }

    auto row = [&](const char* name, const char* goal, auto value) {
        std::printf("  %-34s", name);
        for (const Figures& f : figures) std::printf(" %16s", value(f).c_str());
        std::printf("   %s\n", goal);
    };
    auto format = [](const char* pattern, double a, double b = 0) {
        char text[64];
        std::snprintf(text, sizeof text, pattern, a, b);
        return std::string(text);
    };
    std::printf("  %-34s", "");
    for (size_t e = 0; e + 1 < exes.size(); ++e)
        std::printf(" %15.15s", exes[e].substr(exes[e].find_last_of('/') + 1).c_str());
    std::printf(" %15s", "this build");
    std::printf("   goal\n");
    row("smooth: seconds (cpu)", "under 0.15 s", [&](const Figures& f) {
        return format("%.3f (%.3f)", median(f.smooth), median(f.smoothCpu));
    });
    row("photo: seconds (cpu)", "", [&](const Figures& f) {
        return format("%.3f (%.3f)", median(f.photo), median(f.photoCpu));
    });
    if (!theirs.empty())
        row("photo: of gegl's time", "at most 0.25",
            [&](const Figures& f) { return format("%.3f", median(f.photo) / median(theirs)); });
    row("photo: PNG size / libpng default's", "at most 1.1",
        [&](const Figures& f) { return format("%.3f", f.pngRatio); });
    row("peak memory, photo / smooth (MiB)", "", [&](const Figures& f) {
        return format("%.0f / %.0f", double(f.photoPeak), double(f.smoothPeak));
    });
    std::printf("  one frame is %.0f MiB\n", 4000.0 * 3000 * 3 / (1 << 20));
    if (!theirs.empty())
        std::printf("  gegl load + gegl:supernova + save: %.3f s (cpu %.3f s), peak %ld MiB\n",
                    median(theirs), median(theirsCpu), geglPeak);
    else
        std::printf("  gegl is not installed: no comparison\n");
    std::string cleanup = "rm -rf '" + dir + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
