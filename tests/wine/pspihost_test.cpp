// Our module run through pspiHost, a real third-party host library (the one a popular free Windows
// editor runs .8bf filters through), as that editor drives it: image, selection, load, about, then
// run after run with the settings dialog answered OK or Cancel from a helper thread. Every run
// must show the dialog (this host sends the parameters selector each time); after OK the image
// equals what `radiantix render` makes of it with the same settings and the sun in the middle,
// through pspiHost's own selection blend; Cancel leaves it as it was. What the runs may leave
// behind in memory is in docs/hosts.md and below.
//
//   radiantix_pspihost_test PSPIHOST_DLL MODULE_FILE OUTPUT_DIR
#include <windows.h>
// after windows.h
#include <psapi.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
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
    using SetImage = int(__cdecl*)(int type, int width, int height, void* pixels, int stride,
                                   void* alpha, int alphaStride);
    using SetMask = int(__cdecl*)(int width, int height, void* mask, int stride, bool byPlugIn);
    using Load = int(__cdecl*)(const wchar_t* path);
    using WindowCall = int(__cdecl*)(HWND parent);
    using Version = const char*(__cdecl*)();

    SetImage setImage = nullptr;
    SetMask setMask = nullptr;
    Load load = nullptr;
    WindowCall about = nullptr, execute = nullptr;
    Version version = nullptr;

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

// A selection: nothing on the left, a ramp through partial values, fully
// selected right.
std::vector<uint8_t> selectionMask() {
    std::vector<uint8_t> m(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int v = (x - kWidth / 4) * 255 / (kWidth / 2);
            m[size_t(y) * kWidth + x] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    return m;
}

// [SECTION] The expected picture: the in-memory host of `radiantix render`

// What `radiantix render` makes of `source` (in pspiHost's layout) with
// `settings`, the sun in the middle, then pspiHost's selection blend.
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

int differingBytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

// [SECTION] Runs

// The dialog as the screen shows it, a PNG in the output folder: docs/hosts.md points at it
// for this host's preview.
void screenshot(HWND w, const char* name) {
    RECT r;
    GetClientRect(w, &r);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    const std::vector<uint32_t> pixels = capture(screen, r.left, r.top, width, height);
    ReleaseDC(nullptr, screen);
    std::vector<uint8_t> rgb(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = uint8_t(pixels[i] >> (16 - 8 * c));
    CHECK(
        stbi_write_png((gOutputDir + "/" + name).c_str(), width, height, 3, rgb.data(), width * 3));
}

// Runs `call` on this thread while a helper waits for the settings dialog and
// presses the button `button` (3 OK, 2 Cancel) as a user would. Returns whether
// the dialog showed.
bool answerDialog(int button, bool screenshotIt, const std::function<void()>& call) {
    std::atomic<bool> finished{false}, shown{false};
    withDriver(
        [&] {
            while (!finished) {
                HWND dialog = FindWindowA("#32770", "Radiantix");
                if (dialog && IsWindowVisible(dialog)) {
                    shown = true;
                    if (screenshotIt) {
                        Sleep(800);  // every control and the first preview are drawn
                        screenshot(dialog, "pspihost_dialog.png");
                    }
                    SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
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

struct Runner {
    const Pspi& pspi;
    PluginEntryProc entry;
    const SunParameters& settings;
    HWND editor;
    std::vector<uint8_t> mask = selectionMask();
    int runs = 0;

    // One execute of `c`; `expected` is what the image must hold afterwards.
    void run(const Case& c, const std::vector<uint8_t>& source,
             const std::vector<uint8_t>& expected) {
        const Layout l = layoutOf(c.type);
        std::vector<uint8_t> image = source;
        if (pspi.setImage(c.type, kWidth, kHeight, image.data(), strideOf(l), nullptr, 0) != 0 ||
            pspi.setMask(c.masked ? kWidth : 0, c.masked ? kHeight : 0,
                         c.masked ? mask.data() : nullptr, c.masked ? kWidth : 0, c.masked) != 0)
            std::fprintf(stderr, "run %d: pspiHost refused the image or the mask\n", runs + 1);
        int result = -1;
        ++runs;
        const bool shown =
            answerDialog(c.button, runs == 2, [&] { result = pspi.execute(editor); });
        const int diff = differingBytes(image, expected);
        if (shown && result == (c.button == 3 ? 0 : kFilterCanceled) && diff == 0) return;
        std::fprintf(stderr, "run %d (%s): dialog %s, result %d, %d bytes differ\n", runs, c.name,
                     shown ? "shown" : "not shown", result, diff);
        ++gFailures;
    }

    void runCase(const Case& c) {
        const Layout l = layoutOf(c.type);
        const std::vector<uint8_t> source = sourcePixels(l);
        const std::vector<uint8_t> expected =
            c.button == 3 ? expectedPixels(entry, settings, l, source, c.masked ? &mask : nullptr)
                          : source;
        CHECK(!expected.empty());
        run(c, source, expected);
    }
};

void aboutBox(const Pspi& pspi, HWND editor) {
    std::atomic<bool> seen{false};
    int result = -1;
    withDriver(
        [&] {
            HWND box = waitForWindow("#32770", "About", 200);
            if (!box) return;
            seen = true;
            SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
        },
        [&] { result = pspi.about(editor); });
    CHECK(seen);
    CHECK_EQ(result, 0);
}

// The process's committed private memory. (Wine fills PagefileUsage, which
// Windows keeps equal to PrivateUsage, from the process's anonymous resident
// and swapped pages.)
size_t committedBytes() {
    PROCESS_MEMORY_COUNTERS m{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m)) return 0;
    return m.PagefileUsage;
}

// The settings every run uses: defaults with a few changes that show in the
// picture.
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
    if (!writePresetFile(settings, cacheFile)) {
        std::fprintf(stderr, "cannot write %s\n", cacheFile.c_str());
        return 1;
    }

    Pspi pspi;
    if (!pspi.open(argv[1])) {
        std::fprintf(stderr, "cannot load pspiHost from %s\n", argv[1]);
        return 1;
    }
    std::string error;
    auto module = cli::FilterModule::open(argv[2], error);
    if (!module) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("pspiHost %s, module %s\n", pspi.version(), argv[2]);

    wchar_t modulePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, modulePath, MAX_PATH);
    wchar_t fullPath[MAX_PATH];
    GetFullPathNameW(modulePath, MAX_PATH, fullPath, nullptr);
    HWND editor = CreateWindowA("STATIC", "pspiHost test editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);

    CHECK_EQ(pspi.load(fullPath), 0);
    aboutBox(pspi, editor);

    Runner runner{pspi, module->entry(), settings, editor};
    for (const Case& c : kCases) runner.runCase(c);

    // Memory over 20 more runs of one case: what each fresh run may leave behind is the settings
    // record and the session block it asked the host for, which this host's dispose never frees.
    // One run comes first, outside the window: it leaves one-time costs that are no run's own,
    // chiefly pspiHost's copy of the image, which is larger than the previous case's.
    const Case& repeated = kCases[1];
    const Layout l = layoutOf(repeated.type);
    const std::vector<uint8_t> source = sourcePixels(l);
    const std::vector<uint8_t> expected =
        expectedPixels(runner.entry, settings, l, source, nullptr);
    runner.run(repeated, source, expected);
    constexpr int kRepeats = 20;
    const size_t before = committedBytes();
    CHECK(before > 0);
    for (int i = 0; i < kRepeats; ++i) runner.run(repeated, source, expected);
    const size_t after = committedBytes();
    const long long perRun =
        (static_cast<long long>(after) - static_cast<long long>(before)) / kRepeats;
    // The two blocks (the session block holds the session and its work buffer), pspiHost's
    // record of each handle, and one more 64 KB step by which Wine's heap commits memory.
    const size_t sessionBlock = sizeof(FilterSession) + sizeof(WorkBuffer);
    constexpr long long kHandleRecords = 2 * 64, kHeapStep = 65536;
    const long long allowed = static_cast<long long>(sizeof(SunParameters) + sessionBlock) +
                              kHandleRecords + kHeapStep / kRepeats;
    std::printf(
        "committed memory: %zu -> %zu bytes over %d runs, %lld bytes a run "
        "(settings record %zu + session block %zu + handle records and a heap step = %lld "
        "allowed)\n",
        before, after, kRepeats, perRun, sizeof(SunParameters), sessionBlock, allowed);
    CHECK(perRun <= allowed);

    DestroyWindow(editor);
    std::printf("%d check(s) failed over %d runs\n", gFailures, runner.runs);
    return gFailures ? 1 : 0;
}
