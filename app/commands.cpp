#include "app/commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

#include "app/image_io.h"
#include "app/module_loader.h"
#include "app/progress_bar.h"
#include "app/render_job.h"
#include "app/setting_values.h"
#include "app/system.h"
#include "host/default_record.h"
#include "host/setting_table.h"
#include "platform/user_files.h"
#include "settings/preset_file.h"
#include "settings/random_settings.h"

namespace rx::cli {

namespace {

// What an interrupted run says, whichever phase the signal reached.
const std::string kInterrupted = "interrupted; nothing written";

bool readFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    // A preset is 232 bytes; anything far larger is not one, and is not read.
    std::string why;
    switch (platform::readRegularFile(path, 1u << 20, false, bytes, why)) {
        case platform::ReadResult::Ok: return true;
        case platform::ReadResult::CannotOpen:
            error = "cannot open \"" + path + "\": " + why;
            break;
        case platform::ReadResult::Folder:
            error = "\"" + path + "\" is a folder, not a preset file";
            break;
        case platform::ReadResult::NotRegular:
            error = "\"" + path + "\" is not a regular file";
            break;
        case platform::ReadResult::TooLarge:
            error = "\"" + path + "\" is far larger than a preset file (" +
                    std::to_string(kPresetFileSize) + " bytes)";
            break;
        case platform::ReadResult::Failed: error = "cannot read \"" + path + "\": " + why; break;
    }
    return false;
}

// Why a preset file is not a sound preset; empty when it is one.
std::string presetProblem(const PresetReadInfo& info, const SunParameters& p) {
    if (!info.hasVersion) return "it is too short to be a preset file";
    if (info.version < 1 || info.version > 255)
        return "its format version " + std::to_string(info.version) + " is not a preset version";
    if (info.bytesGiven > kPresetFileSize)
        return "it is " + std::to_string(info.bytesGiven) + " bytes long, larger than a preset (" +
               std::to_string(kPresetFileSize) + " bytes)";
    if (info.bytesGiven < info.expectedSize())
        return "it is " + std::to_string(info.bytesGiven) + " bytes long; a version " +
               std::to_string(info.version) + " preset has " + std::to_string(info.expectedSize());
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    for (size_t i = 0; i < count; ++i) {
        if (!settingInRange(table[i], p))
            return std::string(table[i].name) + " is " + std::to_string(settingInt(p, table[i])) +
                   ", outside " + std::to_string(table[i].minValue) + ".." +
                   std::to_string(table[i].maxValue);
    }
    return "";
}

bool loadPreset(const std::string& path, SunParameters& p, PresetReadInfo& info,
                std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes, error)) return false;
    info = parsePreset(bytes.data(), bytes.size(), p);
    info.bytesGiven = bytes.size();
    return true;
}

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

const char* kindName(const Image& img) {
    static const char* names[] = {"", "grey", "grey + alpha", "RGB", "RGBA"};
    return names[img.channels >= 1 && img.channels <= 4 ? img.channels : 0];
}

}  // namespace

namespace {
const char* gPhase = "";
}  // namespace

const char* memoryPhase() { return gPhase; }

int fail(const std::string& message, int status) {
    std::fprintf(stderr, "radiantix: %s\n", message.c_str());
    return status;
}

int printOut(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return fail(std::string("cannot write to standard output: ") + std::strerror(errno),
                    kExitFailure);
    return kExitOk;
}

bool buildSettings(const SettingsOptions& options, SunParameters& p, int& status) {
    MakeDefaultRecord(p);
    std::string error;
    if (!options.presetPath.empty()) {
        PresetReadInfo info;
        if (!loadPreset(options.presetPath, p, info, error)) {
            status = fail(error, kExitFailure);
            return false;
        }
        std::string problem = presetProblem(info, p);
        if (!problem.empty())
            std::fprintf(stderr,
                         "radiantix: warning: \"%s\" is not a sound preset (%s); "
                         "values are brought into range\n",
                         options.presetPath.c_str(), problem.c_str());
        clampSettings(p);
    }
    if (options.dice || options.ecce) std::srand(unsigned(std::time(nullptr)));
    if (options.dice) randomizeSettings(p, runtimeRandom());
    if (options.ecce) newSeed(p, runtimeRandom());
    for (const std::string& a : options.assignments) {
        if (!applyAssignment(a, p, error)) {
            status = fail(error, kExitUsage);
            return false;
        }
    }
    if (options.hasSeed) {
        if (!applyAssignment("seed=" + options.seed, p, error)) {
            status = fail(error, kExitUsage);
            return false;
        }
    }
    return true;
}

std::string outputProblem(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path file(path);
    if (std::filesystem::is_directory(file, ec))
        return "cannot write \"" + path + "\": it is a folder";
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    if (!std::filesystem::is_directory(folder, ec))
        return "cannot write \"" + path + "\": the folder \"" + folder.string() +
               "\" does not exist";
    // The render may take a while: try creating the temporary file now rather than after it.
    std::string why;
    if (!platform::canCreateBeside(path, why)) return "cannot write \"" + path + "\": " + why;
    return "";
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string& error, bool (*proceed)()) {
    std::string why;
    setOutputWriting(true);
    const bool written = platform::replaceFile(
        path, bytes.data(), bytes.size(), &why,
        proceed ? proceed : [] { return !interruptRequested(); });
    setOutputWriting(false);
    if (written) return true;
    error = interruptRequested() ? kInterrupted : "cannot write \"" + path + "\": " + why;
    return false;
}

int renderCommand(const RenderOptions& options) {
    if (options.dialog && !settingsDialogAvailable())
        return fail(
            "the settings dialog is part of the Windows module: run radiantix.exe "
            "(on Linux under Wine)",
            kExitUsage);
    ImageFormat format = outputFormatFor(options.output);
    if (format == ImageFormat::Unknown || !formatWritable(format))
        return fail(
            "cannot write \"" + options.output + "\": use a " + writableExtensions() + " file name",
            kExitUsage);
    if (options.quality && format != ImageFormat::Jpeg && format != ImageFormat::WebP)
        return fail("--quality is for JPEG and WebP output, not " + std::string(formatName(format)),
                    kExitUsage);
    WriteOptions writeOptions;
    if (options.quality) writeOptions.quality = options.quality;
    ReadOptions readOptions;
    readOptions.reduceDepth = options.depth == 8;
    int32_t cx = 0, cy = 0;
    if (!options.center.empty() && !parseCenter(options.center, cx, cy))
        return fail("--center: \"" + options.center + "\" is not X,Y in pixels", kExitUsage);

    SunParameters* settings = new SunParameters;
    std::unique_ptr<SunParameters> owned(settings);
    int status = kExitOk;
    if (!buildSettings(options.settings, *settings, status)) return status;

    gPhase = "to read the input image";
    std::string error = outputProblem(options.output);
    if (!error.empty()) return fail(error, kExitFailure);
    RenderJob job;
    if (options.input.empty()) {
        job.image = builtInSky();
    } else if (!loadImage(options.input, job.image, error, readOptions)) {
        return fail(error, kExitFailure);
    }
    if (job.image.hasAlpha() && !formatHoldsAlpha(format) && !options.flatten)
        return fail(
            "\"" + options.input + "\" has an alpha channel, which " + formatName(format) +
                " cannot hold: write PNG, TIFF or WebP, or pass --flatten to put it on white",
            kExitUsage);
    Image mask;
    gPhase = "to read the mask";
    if (!options.maskPath.empty()) {
        if (!loadImage(options.maskPath, mask, error, readOptions))
            return fail("mask: " + error, kExitFailure);
        if (mask.width != job.image.width || mask.height != job.image.height)
            return fail("mask \"" + options.maskPath + "\" is " + std::to_string(mask.width) +
                            " x " + std::to_string(mask.height) + ", the image is " +
                            std::to_string(job.image.width) + " x " +
                            std::to_string(job.image.height),
                        kExitFailure);
        // The selection is the grey value; a colour file is accepted when it is grey.
        Image grey;
        grey.width = mask.width;
        grey.height = mask.height;
        grey.channels = 1;
        grey.pixels.resize(size_t(mask.width) * size_t(mask.height));
        for (size_t i = 0; i < grey.pixels.size(); ++i) {
            const uint8_t* px = &mask.pixels[i * size_t(mask.channels)];
            if (mask.channels >= 3 && (px[0] != px[1] || px[1] != px[2]))
                return fail("mask \"" + options.maskPath + "\" is not a grey image", kExitFailure);
            grey.pixels[i] = px[0];
        }
        mask = std::move(grey);
        job.mask = &mask;
    }

    gPhase = "to load the module";
    std::string modulePath = options.modulePath.empty() ? defaultModulePath() : options.modulePath;
    std::unique_ptr<FilterModule> module = FilterModule::open(modulePath, error);
    if (!module) return fail(error, kExitFailure);

    gPhase = "to render";
    if (interruptRequested()) return fail(kInterrupted, kExitInterrupted);
    ProgressBar bar(!options.quiet && stderrIsTerminal());
    // The dialog opens where a paint program would open it, on the last accepted settings
    // (the module's cache), unless the command line gives settings of its own.
    const SettingsOptions& given = options.settings;
    const bool commandLineSettings = !given.presetPath.empty() || given.dice || given.ecce ||
                                     !given.assignments.empty() || given.hasSeed;
    job.settings = options.dialog && !commandLineSettings ? nullptr : settings;
    job.showDialog = options.dialog;
    job.hasCenter = !options.center.empty();
    job.centerX = cx;
    job.centerY = cy;
    job.onProgress = [&bar](int32_t done, int32_t total) { bar.update(done, total); };
    job.onAbort = [] { return interruptRequested(); };
    setInterruptPolled(true);  // the module asks the host whether to stop
    int16_t result = runRenderJob(module->entry(), job);
    setInterruptPolled(false);
    if (result == 0 && !interruptRequested()) bar.update(1, 1);
    bar.finish();
    // -128 and 1 are what a module returns for a cancelled dialog and a stop it was asked
    // for; otherwise they are codes like any other.
    if (result == userCanceledErr && options.dialog && !interruptRequested())
        return fail("the dialog was cancelled; nothing written", kExitCancelled);
    if (interruptRequested()) return fail(kInterrupted, kExitInterrupted);
    // The module's own allocations (through the host's handles and buffers) failed.
    if (result == memFullErr)
        return fail("not enough memory to render (the module's result code -108); nothing written",
                    kExitFailure);
    if (result != 0)
        return fail(
            "the module stopped with result code " + std::to_string(result) + "; nothing written",
            kExitFailure);

    gPhase = "to write the output";
    if (!formatHoldsAlpha(format)) flattenAlpha(job.image);
    std::vector<uint8_t> bytes;
    if (!encodeImage(job.image, format, bytes, error, writeOptions))
        return fail(error, kExitFailure);
    setInterruptPolled(true);
    bool written = writeFileAtomically(options.output, bytes, error);
    setInterruptPolled(false);
    if (!written) return fail(error, error == kInterrupted ? kExitInterrupted : kExitFailure);
    if (!options.quiet)
        std::printf("wrote %s (%d x %d, %s)\n", options.output.c_str(), int(job.image.width),
                    int(job.image.height), kindName(job.image));
    return kExitOk;
}

int presetShowCommand(const std::string& path, bool json) {
    std::unique_ptr<SunParameters> p(new SunParameters);
    MakeDefaultRecord(*p);
    PresetReadInfo info;
    std::string error;
    if (!loadPreset(path, *p, info, error)) return fail(error, kExitFailure);
    std::string problem = presetProblem(info, *p);
    if (!problem.empty())
        return fail("\"" + path + "\" is not a preset file: " + problem, kExitFailure);

    std::vector<std::string> missing = info.missingSettings();
    auto isMissing = [&missing](const char* name) {
        for (const std::string& m : missing)
            if (m == name) return true;
        return false;
    };
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    std::string out;
    if (json) {
        out += "{\n  \"version\": " + std::to_string(info.version) + ",\n";
        for (size_t i = 0; i < count; ++i) {
            if (isMissing(table[i].name)) continue;
            out += "  \"" + std::string(table[i].name) + "\": " + settingJson(table[i], *p) + ",\n";
        }
        out += "  \"missing\": [";
        for (size_t i = 0; i < missing.size(); ++i) out += (i ? ", \"" : "\"") + missing[i] + "\"";
        out += "]\n}\n";
    } else {
        out += "version " + std::to_string(info.version) + "\n";
        for (size_t i = 0; i < count; ++i) {
            if (isMissing(table[i].name)) continue;
            std::string value = settingJson(table[i], *p);
            if (table[i].kind == SettingKind::Colour)
                value = value.substr(1, value.size() - 2);
            else if (table[i].kind == SettingKind::Vector)
                value = formatVector(*settingVector(*p, table[i]));
            out += std::string(table[i].name) + "=" + value + "\n";
        }
        if (!missing.empty()) {
            out += "not in the file (defaults):";
            for (const std::string& m : missing) out += " " + m;
            out += "\n";
        }
    }
    return printOut(out);
}

int presetWriteCommand(const PresetWriteOptions& options) {
    std::unique_ptr<SunParameters> p(new SunParameters);
    int status = kExitOk;
    if (!buildSettings(options.settings, *p, status)) return status;
    std::array<uint8_t, kPresetFileSize> data = serializePreset(*p);
    std::vector<uint8_t> bytes(data.begin(), data.end());
    std::string error;
    setInterruptPolled(true);
    bool written = writeFileAtomically(options.path, bytes, error);
    setInterruptPolled(false);
    if (!written) return fail(error, error == kInterrupted ? kExitInterrupted : kExitFailure);
    return kExitOk;
}

int aboutCommand(const std::string& modulePathOption) {
    std::printf(
        "radiantix %s: renders a procedural sun onto images through the Radiantix "
        "filter module, as a paint program does.\n",
        RADIANTIX_VERSION);
    std::string modulePath = modulePathOption.empty() ? defaultModulePath() : modulePathOption;
    std::string error;
    std::unique_ptr<FilterModule> module = FilterModule::open(modulePath, error);
    if (!module) return fail(error, kExitFailure);
    std::printf("module: %s\n", module->path().c_str());
    if (!module->name().empty())
        std::printf("filter: %s (category %s)\n", module->name().c_str(),
                    module->category().c_str());
    std::printf("entry point: %s\n", module->entryName().c_str());
    return kExitOk;
}

}  // namespace rx::cli
