// `radiantix render` and `radiantix dialog`: every input through the module, loaded once,
// each to its own output (app/output_plan.h). With several inputs a failing file is reported
// on one line and the others go on; --jobs N renders N files at once, each on a thread of
// its own with its own in-memory host.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "app/commands.h"
#include "app/image_io.h"
#include "app/module_loader.h"
#include "app/output_plan.h"
#include "app/progress_bar.h"
#include "app/render_job.h"
#include "app/standard_streams.h"
#include "app/system.h"
#include "platform/worker_threads.h"

namespace rx::cli {

namespace {

// What every file of a run shares; read-only while files render.
struct RenderRun {
    const RenderOptions* options = nullptr;
    const SunParameters* settings = nullptr;  // null: the module's own record (dialog)
    PluginEntryProc entry = nullptr;
    const Image* mask = nullptr;
    ReadOptions read;
    WriteOptions write;
    int32_t centerX = 0, centerY = 0;
    // Several files: Ctrl-C is polled from start to end (files written stay), no progress
    // bar with several jobs, and each line names its file.
    bool batch = false;
    bool bar = false;
};

bool parseCenter(const std::string& text, int32_t& x, int32_t& y) {
    char* end = nullptr;
    errno = 0;
    long a = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != ',' || errno) return false;
    const char* second = end + 1;
    long b = std::strtol(second, &end, 10);
    if (end == second || *end != 0 || errno) return false;
    if (a < -1000000 || a > 1000000 || b < -1000000 || b > 1000000) return false;
    x = int32_t(a);
    y = int32_t(b);
    return true;
}

std::string kindName(const Image& img) {
    static const char* names[] = {"", "grey", "grey + alpha", "RGB", "RGBA"};
    return std::string(names[img.channels >= 1 && img.channels <= 4 ? img.channels : 0]) +
           (img.depth == 16 ? ", 16-bit" : "");
}

// The selection as one grey channel. On failure returns false with one line in `error`.
bool loadMask(const std::string& path, const ReadOptions& read, Image& mask, std::string& error) {
    Image file;
    // The selection has 8 bits: a 16-bit mask file is reduced.
    ReadOptions maskRead = read;
    maskRead.reduceDepth = true;
    if (!loadImage(path, file, error, maskRead)) {
        error = "mask: " + error;
        return false;
    }
    mask = Image();
    mask.width = file.width;
    mask.height = file.height;
    mask.channels = 1;
    mask.pixels.resize(size_t(file.width) * size_t(file.height));
    // The selection is the grey value; a colour file is accepted when it is grey.
    for (size_t i = 0; i < mask.pixels.size(); ++i) {
        const uint8_t* px = &file.pixels[i * size_t(file.channels)];
        if (file.channels >= 3 && (px[0] != px[1] || px[1] != px[2])) {
            error = "mask \"" + path + "\" is not a grey image";
            return false;
        }
        mask.pixels[i] = px[0];
    }
    return true;
}

// Renders one file and writes its output. Returns its exit status; a failure has printed
// its line (in a batch an interrupt prints nothing: the run reports it once).
int renderFile(const RenderRun& run, const RenderTarget& t) {
    const RenderOptions& o = *run.options;
    const std::string shown = t.input.empty()  ? "the built-in sky"
                              : t.input == "-" ? "standard input"
                                               : t.input;
    auto failed = [&](const std::string& message, int status) {
        if (run.batch && status == kExitInterrupted) return status;
        if (run.batch && message.find(shown) == std::string::npos)
            return fail("\"" + shown + "\": " + message, status);
        return fail(message, status);
    };
    const char* phase = "to read the input image";
    std::string error;
    try {
        RenderJob job;
        if (t.input.empty()) {
            job.image = builtInSky();
        } else if (t.input == "-") {
            std::vector<uint8_t> bytes;
            if (!readStandardInput(bytes, error))
                return interruptRequested() ? failed(kInterrupted, kExitInterrupted)
                                            : failed(error, kExitFailure);
            if (bytes.empty()) return failed("standard input is empty", kExitFailure);
            if (!decodeImage(bytes.data(), bytes.size(), job.image, error, run.read))
                return failed("standard input " + error, kExitFailure);
        } else if (!loadImage(t.input, job.image, error, run.read)) {
            return failed(error, kExitFailure);
        }
        if (job.image.depth == 16 && !formatHolds16Bits(t.format))
            return failed("\"" + shown + "\" has 16 bits per channel, which " +
                              formatName(t.format) +
                              " cannot hold: write PNG or TIFF, or pass --depth 8 to reduce it",
                          kExitUsage);
        if (job.image.hasAlpha() && !formatHoldsAlpha(t.format) && !o.flatten)
            return failed("\"" + shown + "\" has an alpha channel, which " + formatName(t.format) +
                              " cannot hold: write PNG, TIFF or WebP, or pass --flatten to put "
                              "it on white",
                          kExitUsage);
        if (run.mask &&
            (run.mask->width != job.image.width || run.mask->height != job.image.height))
            return failed("mask \"" + o.maskPath + "\" is " + std::to_string(run.mask->width) +
                              " x " + std::to_string(run.mask->height) + ", the image is " +
                              std::to_string(job.image.width) + " x " +
                              std::to_string(job.image.height),
                          kExitFailure);

        phase = "to render";
        if (interruptRequested()) return failed(kInterrupted, kExitInterrupted);
        ProgressBar bar(run.bar);
        job.mask = run.mask;
        job.settings = run.settings;
        job.showDialog = o.dialog;
        job.hasCenter = !o.center.empty();
        job.centerX = run.centerX;
        job.centerY = run.centerY;
        job.onProgress = [&bar](int32_t done, int32_t total) { bar.update(done, total); };
        job.onAbort = [] { return interruptRequested(); };
        if (!run.batch) setInterruptPolled(true);  // the module asks the host whether to stop
        const int16_t result = runRenderJob(run.entry, job);
        if (!run.batch) setInterruptPolled(false);
        if (result == 0 && !interruptRequested()) bar.update(1, 1);
        bar.finish();
        // -128 and 1 are what a module returns for a cancelled dialog and a stop it was
        // asked for; otherwise they are codes like any other.
        if (result == userCanceledErr && o.dialog && !interruptRequested())
            return failed("the dialog was cancelled; nothing written", kExitCancelled);
        if (interruptRequested()) return failed(kInterrupted, kExitInterrupted);
        // The module's own allocations (through the host's handles and buffers) failed.
        if (result == memFullErr)
            return failed(
                "not enough memory to render (the module's result code -108); nothing written",
                kExitFailure);
        if (result != 0)
            return failed("the module stopped with result code " + std::to_string(result) +
                              "; nothing written",
                          kExitFailure);

        phase = "to write the output";
        if (!formatHoldsAlpha(t.format)) flattenAlpha(job.image);
        std::vector<uint8_t> bytes;
        if (!encodeImage(job.image, t.format, bytes, error, run.write))
            return failed(error, kExitFailure);
        if (t.output == "-") {
            if (!writeStandardOutput(bytes, error)) return failed(error, kExitFailure);
        } else {
            // From here on a signal only sets the flag: once the file is in place the run has
            // succeeded, and a Ctrl-C in the moment before the program ends must not report
            // "nothing written" over a written file.
            if (!run.batch) setInterruptPolled(true);
            const bool written = writeFileAtomically(t.output, bytes, error);
            if (!written)
                return failed(error, error == kInterrupted ? kExitInterrupted : kExitFailure);
        }
        // The summary goes to stderr when stdout carries the picture.
        if (!o.quiet)
            std::fprintf(t.output == "-" ? stderr : stdout, "wrote %s (%d x %d, %s)\n",
                         t.output == "-" ? "standard output" : t.output.c_str(),
                         int(job.image.width), int(job.image.height), kindName(job.image).c_str());
        return kExitOk;
    } catch (const std::bad_alloc&) {
        return failed(std::string("not enough memory ") + phase, kExitFailure);
    }
}

// Several threads take the next file not yet taken until none is left or Ctrl-C came.
struct ParallelFiles {
    const RenderRun* run;
    const std::vector<RenderTarget>* targets;
    std::vector<int>* statuses;
    std::atomic<size_t> next{0};

    static void work(void* self) {
        ParallelFiles& p = *static_cast<ParallelFiles*>(self);
        for (;;) {
            const size_t i = p.next.fetch_add(1);
            if (i >= p.targets->size() || interruptRequested()) return;
            (*p.statuses)[i] = renderFile(*p.run, (*p.targets)[i]);
        }
    }
};

}  // namespace

int renderCommand(const RenderOptions& options) {
    if (options.dialog && !settingsDialogAvailable())
        return fail(
            "the settings dialog is part of the Windows module: run radiantix.exe "
            "(on Linux under Wine)",
            kExitUsage);
    std::vector<RenderTarget> targets;
    std::string error;
    if (!planOutputs(options.inputs, options.output, options.format, targets, error))
        return fail(error, kExitUsage);
    RenderRun run;
    run.options = &options;
    for (const RenderTarget& t : targets)
        if (options.quality && t.format != ImageFormat::Jpeg && t.format != ImageFormat::WebP)
            return fail(
                "--quality is for JPEG and WebP output, not " + std::string(formatName(t.format)),
                kExitUsage);
    if (options.quality) run.write.quality = options.quality;
    run.read.reduceDepth = options.depth == 8;
    if (!options.center.empty() && !parseCenter(options.center, run.centerX, run.centerY))
        return fail("--center: \"" + options.center + "\" is not X,Y in pixels", kExitUsage);

    std::unique_ptr<SunParameters> settings(new SunParameters);
    int status = kExitOk;
    if (!buildSettings(options.settings, *settings, status)) return status;
    if (!options.savePreset.empty() && !savePreset(*settings, options.savePreset, status))
        return status;
    // The dialog opens where a paint program would open it, on the last accepted settings
    // (the module's cache), unless the command line gives settings of its own.
    const SettingsOptions& given = options.settings;
    const bool commandLineSettings = !given.presetPath.empty() || given.dice || given.ecce ||
                                     !given.assignments.empty() || given.hasSeed;
    run.settings = options.dialog && !commandLineSettings ? nullptr : settings.get();

    for (const RenderTarget& t : targets) {
        if (t.output == "-") continue;
        error = outputProblem(t.output);
        if (!error.empty()) return fail(error, kExitFailure);
    }
    if (interruptRequested()) return fail(kInterrupted, kExitInterrupted);
    setMemoryPhase("to read the mask");
    Image mask;
    if (!options.maskPath.empty()) {
        if (!loadMask(options.maskPath, run.read, mask, error)) return fail(error, kExitFailure);
        run.mask = &mask;
    }
    setMemoryPhase("to load the module");
    const std::string modulePath =
        options.modulePath.empty() ? defaultModulePath() : options.modulePath;
    std::unique_ptr<FilterModule> module = FilterModule::open(modulePath, error);
    if (!module) return fail(error, kExitFailure);
    run.entry = module->entry();

    const size_t jobs = std::min(size_t(options.jobs < 1 ? 1 : options.jobs), targets.size());
    run.batch = targets.size() > 1;
    run.bar = jobs == 1 && !options.quiet && stderrIsTerminal();
    std::vector<int> statuses(targets.size(), -1);  // -1: not started (interrupted)
    if (run.batch) setInterruptPolled(true);
    if (jobs == 1) {
        for (size_t i = 0; i < targets.size() && !interruptRequested(); ++i)
            statuses[i] = renderFile(run, targets[i]);
    } else {
        ParallelFiles files;
        files.run = &run;
        files.targets = &targets;
        files.statuses = &statuses;
        platform::WorkerThreads workers(int32_t(jobs - 1));
        workers.run(&ParallelFiles::work, &files);
    }
    if (run.batch) setInterruptPolled(false);
    if (!run.batch) return statuses[0];
    size_t written = 0;
    for (int s : statuses) written += s == kExitOk;
    if (interruptRequested())
        return fail(written == 0 ? std::string(kInterrupted)
                                 : "interrupted; " + std::to_string(written) + " of " +
                                       std::to_string(targets.size()) + " files written, no other",
                    kExitInterrupted);
    return written == targets.size() ? kExitOk : kExitFailure;
}

}  // namespace rx::cli
