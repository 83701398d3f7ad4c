// Our module run through pspiHost, a real third-party host library (the one a popular free Windows
// editor runs .8bf filters through), as that editor drives it: image, selection, load, about, then
// run after run with the settings dialog answered OK or Cancel from a helper thread. Every run must
// show the dialog (this host sends the parameters selector each time); after OK the image equals
// what `radiantix render` makes of it with the same settings and the sun in the middle, through
// pspiHost's own selection blend; Cancel leaves it as it was. What the runs may leave behind in
// memory is in docs/hosts.md and below.
//
//   radiantix_pspihost_test PSPIHOST_DLL MODULE_FILE OUTPUT_DIR
#include <windows.h>
// after windows.h
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "app/module_loader.h"
#include "app/render_job.h"
#include "host/default_record.h"
#include "host/types/filter_session.h"
#include "settings/preset_file.h"
#include "stb_image_write.h"
#include "window_driver.h"

using namespace rx;
using namespace rx::wine_test;

namespace {

// [SECTION] pspiHost's interface. The 2020 DLLs use the C convention on x86.

enum ImageType { kBGR = 0, kBGRA = 1, kRGB = 2, kRGBA = 3, kGray = 4 };
constexpr int kFilterCanceled = 5;  // pspiHost's code for a run the user cancelled

struct Pspi {
    int(__cdecl* setImage)(int type, int width, int height, void* pixels, int stride, void* alpha,
                           int alphaStride) = nullptr;
    int(__cdecl* setMask)(int width, int height, void* mask, int stride, bool byPlugIn) = nullptr;
    int(__cdecl* load)(const wchar_t* path) = nullptr;
    int(__cdecl* about)(HWND parent) = nullptr;
    int(__cdecl* execute)(HWND parent) = nullptr;
    const char*(__cdecl* version)() = nullptr;

    bool open(const char* path) {
        HMODULE dll = LoadLibraryA(path);
        if (!dll) return false;
        auto get = [dll](auto& f, const char* name) {
            f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(
                reinterpret_cast<void*>(GetProcAddress(dll, name)));
            return f != nullptr;
        };
        return get(setImage, "pspiSetImage") && get(setMask, "pspiSetMask") &&
               get(load, "pspiPlugInLoad") && get(about, "pspiPlugInAbout") &&
               get(execute, "pspiPlugInExecute") && get(version, "pspiGetVersion");
    }
};

// [SECTION] Test images

struct Layout {
    int channels;   // bytes a pixel as pspiHost is handed them
    int colour;     // colour channels (the rest is alpha)
    bool reversed;  // blue first
};

Layout layoutOf(ImageType t) {
    const int colour = t == kGray ? 1 : 3;
    return {t == kBGRA || t == kRGBA ? 4 : colour, colour, t == kBGR || t == kBGRA};
}

constexpr int kWidth = 240, kHeight = 180;

// Rows padded to four bytes as a device-independent bitmap's are.
int strideOf(const Layout& l) { return (kWidth * l.channels + 3) & ~3; }

// A sky-like gradient with some texture, alpha varying across the image.
std::vector<uint8_t> sourcePixels(const Layout& l) {
    std::vector<uint8_t> px(size_t(strideOf(l)) * kHeight, 0xEE);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &px[size_t(y) * strideOf(l) + size_t(x) * l.channels];
            const uint8_t rgb[3] = {uint8_t(20 + y / 2 + (x * 7 + y * 3) % 13), uint8_t(60 + x / 4),
                                    uint8_t(140 + y / 3)};
            if (l.colour == 1)
                p[0] = uint8_t((rgb[0] + rgb[1] + rgb[2]) / 3);
            else
                for (int c = 0; c < 3; ++c) p[c] = rgb[l.reversed ? 2 - c : c];
            if (l.channels == 4) p[3] = uint8_t(255 - x);
        }
    return px;
}

// A selection: nothing on the left, a ramp through partial values, fully selected right.
std::vector<uint8_t> selectionMask() {
    std::vector<uint8_t> m(size_t(kWidth) * kHeight);
    for (size_t i = 0; i < m.size(); ++i)
        m[i] = uint8_t(std::clamp((int(i % kWidth) - kWidth / 4) * 255 / (kWidth / 2), 0, 255));
    return m;
}

// [SECTION] The expected picture: the in-memory host of `radiantix render`

// What `radiantix render` makes of `source` (in pspiHost's layout) with `settings`, the sun in the
// middle, then pspiHost's selection blend.
std::vector<uint8_t> expectedPixels(PluginEntryProc entry, const SunParameters& settings,
                                    const Layout& l, const std::vector<uint8_t>& source,
                                    const std::vector<uint8_t>* mask) {
    cli::RenderJob job;
    cli::Image& img = job.image;
    img.width = kWidth;
    img.height = kHeight;
    img.channels = l.channels;
    img.pixels.resize(size_t(kWidth) * kHeight * l.channels);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* s = &source[size_t(y) * strideOf(l) + size_t(x) * l.channels];
            uint8_t* d = img.row(y) + size_t(x) * l.channels;
            for (int c = 0; c < l.channels; ++c) d[c] = s[c < 3 && l.reversed ? 2 - c : c];
        }
    job.settings = &settings;
    if (cli::runRenderJob(entry, job) != 0) return {};

    std::vector<uint8_t> out = source;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* o = &out[size_t(y) * strideOf(l) + size_t(x) * l.channels];
            const uint8_t* r = img.row(y) + size_t(x) * l.channels;
            const int m = mask ? (*mask)[size_t(y) * kWidth + x] : 255;
            for (int c = 0; c < l.colour; ++c) {
                const int dst = r[l.reversed ? 2 - c : c];
                if (m > 0) o[c] = uint8_t((o[c] * (255 - m) + dst * (m + 1)) >> 8);
            }
        }
    return out;
}

// [SECTION] Runs

// The dialog as the screen shows it, a PNG in the output folder: docs/hosts.md points at it for
// this host's preview.
void screenshot(HWND w, const char* name) {
    RECT r;
    GetClientRect(w, &r);
    const std::vector<uint32_t> pixels = capture(w, 0, 0, r.right, r.bottom);
    std::vector<uint8_t> rgb(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = uint8_t(pixels[i] >> (16 - 8 * c));
    CHECK(stbi_write_png((gOutputDir + "/" + name).c_str(), r.right, r.bottom, 3, rgb.data(),
                         r.right * 3));
}

// Runs `call` on this thread while a helper waits for the window captioned `title` and answers it
// with the command `id` (the settings dialog: 3 OK, 2 Cancel) as a user would, after a screenshot
// named `screenshotName` if one is given. Returns whether the window showed.
bool answerWindow(const char* title, int id, const std::function<void()>& call,
                  const char* screenshotName = nullptr) {
    std::atomic<bool> finished{false}, shown{false};
    withDriver(
        [&] {
            while (!finished) {
                HWND w = FindWindowA("#32770", title);
                if (w && IsWindowVisible(w)) {
                    shown = true;
                    if (screenshotName) {
                        Sleep(800);  // every control and the first preview are drawn
                        screenshot(w, screenshotName);
                    }
                    SendMessageA(w, WM_COMMAND, id, 0);
                    return;
                }
                Sleep(30);
            }
        },
        [&] {
            call();
            finished = true;
        });
    return shown;
}

struct Case {
    const char* name;
    ImageType type;
    bool masked;
    int button;  // 3 OK, 2 Cancel
};

constexpr Case kCases[] = {
    {"grey", kGray, false, 3},
    {"RGB", kRGB, false, 3},
    {"RGBA", kRGBA, false, 3},
    {"BGR", kBGR, false, 3},
    {"BGRA", kBGRA, false, 3},
    {"RGB selection", kRGB, true, 3},
    {"BGR selection", kBGR, true, 3},
    {"RGB cancelled", kRGB, false, 2},
    {"grey selection cancelled", kGray, true, 2},
};

// The process's committed private memory. (Wine fills PagefileUsage, which Windows keeps equal to
// PrivateUsage, from the process's anonymous resident and swapped pages.)
size_t committedBytes() {
    PROCESS_MEMORY_COUNTERS m{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m)) return 0;
    return m.PagefileUsage;
}

struct Runner {
    const Pspi& pspi;
    PluginEntryProc entry;
    const SunParameters& settings;
    HWND editor;
    std::vector<uint8_t> mask = selectionMask();
    int runs = 0;

    // Runs `c` `times` times, each time an execute that must leave the image as expected;
    // returns the committed memory that each run after the first added.
    long long runCase(const Case& c, int times = 1) {
        const Layout l = layoutOf(c.type);
        const std::vector<uint8_t> source = sourcePixels(l);
        const std::vector<uint8_t> expected =
            c.button == 3 ? expectedPixels(entry, settings, l, source, c.masked ? &mask : nullptr)
                          : source;
        CHECK(!expected.empty());
        long long before = 0;
        for (int i = 0; i < times; ++i) {
            if (i == 1) before = static_cast<long long>(committedBytes());
            std::vector<uint8_t> image = source;
            const int w = c.masked ? kWidth : 0, h = c.masked ? kHeight : 0;  // 0: no selection
            CHECK(pspi.setImage(c.type, kWidth, kHeight, image.data(), strideOf(l), nullptr, 0) ==
                  0);
            CHECK(pspi.setMask(w, h, c.masked ? mask.data() : nullptr, w, c.masked) == 0);
            int result = -1;
            const bool shown = answerWindow(
                "Radiantix", c.button, [&] { result = pspi.execute(editor); },
                ++runs == 2 ? "pspihost_dialog.png" : nullptr);
            const size_t diff = differing(image, expected);
            if (shown && result == (c.button == 3 ? 0 : kFilterCanceled) && diff == 0) continue;
            std::fprintf(stderr, "run %d (%s): dialog %s, result %d, %zu bytes differ\n", runs,
                         c.name, shown ? "shown" : "not shown", result, diff);
            ++gFailures;
        }
        CHECK(times == 1 || before > 0);
        return times > 1 ? (static_cast<long long>(committedBytes()) - before) / (times - 1) : 0;
    }
};

// The settings every run uses: defaults with a few changes that show in the picture.
SunParameters testSettings() {
    SunParameters p{};
    ApplyDefaults(p);
    p.sunRadius = 16;
    p.blendMode = 10;
    p.seed = 7;
    p.swirlCount = 6;
    p.vortices = 1;
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: radiantix_pspihost_test PSPIHOST_DLL MODULE_FILE OUTPUT_DIR\n");
        return 2;
    }
    gOutputDir = argv[3];
    SetCursorPos(0, 0);

    // Each run starts a fresh settings record from the defaults and the cache file: the cache holds
    // the test's settings, so the dialog opens with them and OK keeps them.
    const SunParameters settings = testSettings();
    const std::string cacheFile = useCacheFolder("pspihost_cache");
    Pspi pspi;
    std::string error = "cannot write " + cacheFile + " or load pspiHost from " + argv[1];
    auto module = writePresetFile(settings, cacheFile) && pspi.open(argv[1])
                      ? cli::FilterModule::open(argv[2], error)
                      : nullptr;
    if (!module) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("pspiHost %s, module %s\n", pspi.version(), argv[2]);

    wchar_t modulePath[MAX_PATH], fullPath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, modulePath, MAX_PATH);
    GetFullPathNameW(modulePath, MAX_PATH, fullPath, nullptr);
    HWND editor = CreateWindowA("STATIC", "pspiHost test editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);

    CHECK_EQ(pspi.load(fullPath), 0);
    int aboutResult = -1;
    CHECK(answerWindow("About", IDCANCEL, [&] { aboutResult = pspi.about(editor); }));
    CHECK_EQ(aboutResult, 0);

    Runner runner{pspi, module->entry(), settings, editor};
    for (const Case& c : kCases) runner.runCase(c);

    // Memory over 20 more runs of one case: what each fresh run may leave behind is the settings
    // record and the session block it asked the host for, which this host's dispose never frees.
    // One run comes first, outside the window: it leaves one-time costs that are no run's own,
    // chiefly pspiHost's copy of the image, which is larger than the previous case's.
    constexpr int kRepeats = 20;
    const long long perRun = runner.runCase(kCases[1], 1 + kRepeats);
    // The two blocks (the session block holds the session and its work buffer), pspiHost's record
    // of each handle, and one more 64 KB step by which Wine's heap commits memory.
    constexpr long long kHandleRecords = 2 * 64, kHeapStep = 65536;
    const long long allowed =
        static_cast<long long>(sizeof(SunParameters) + sizeof(FilterSession) + sizeof(WorkBuffer)) +
        kHandleRecords + kHeapStep / kRepeats;
    std::printf("committed memory: %lld bytes a run over %d runs (%lld allowed)\n", perRun,
                kRepeats, allowed);
    CHECK(perRun <= allowed);

    DestroyWindow(editor);
    std::printf("%d check(s) failed over %d runs\n", gFailures, runner.runs);
    return gFailures ? 1 : 0;
}
