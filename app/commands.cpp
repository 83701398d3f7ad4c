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
#include "host/setting_table.h"
#include "settings/preset_file.h"
#include "settings/random_settings.h"

namespace rx::cli {

namespace {

bool readFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    uint8_t buf[4096];
    size_t n;
    // A preset is 232 bytes; anything far larger is not one, so stop reading early.
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && bytes.size() < (1u << 20))
        bytes.insert(bytes.end(), buf, buf + n);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) error = "cannot read \"" + path + "\"";
    return !bad;
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
               std::to_string(info.version) + " preset has " +
               std::to_string(info.expectedSize());
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    for (size_t i = 0; i < count; ++i) {
        if (!settingInRange(table[i], p))
            return std::string(table[i].name) + " is " +
                   std::to_string(*settingInt(const_cast<SunParameters&>(p), table[i])) +
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

int fail(const std::string& message, int status) {
    std::fprintf(stderr, "radiantix: %s\n", message.c_str());
    return status;
}

bool buildSettings(const SettingsOptions& options, SunParameters& p, int& status) {
    resetToDefaults(p);
    std::string error;
    if (!options.presetPath.empty()) {
        PresetReadInfo info;
        if (!loadPreset(options.presetPath, p, info, error)) {
            status = fail(error, kExitFailure);
            return false;
        }
        std::string problem = presetProblem(info, p);
        if (!problem.empty())
            std::fprintf(stderr, "radiantix: warning: \"%s\" is not a sound preset (%s); "
                         "values are brought into range\n", options.presetPath.c_str(),
                         problem.c_str());
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
        if (!applyAssignment("seed=" + std::to_string(options.seed), p, error)) {
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
    // The render may take a while: try the temporary file now rather than after it.
    const std::string temp = temporaryPathFor(path);
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return "cannot write \"" + path + "\": " + std::strerror(errno);
    std::fclose(f);
    std::remove(temp.c_str());
    return "";
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string& error) {
    std::string temp = temporaryPathFor(path);
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = "cannot write \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        std::remove(temp.c_str());
        error = "cannot write \"" + path + "\" (disk full?)";
        return false;
    }
    if (interruptRequested()) {
        std::remove(temp.c_str());
        error = "interrupted";
        return false;
    }
    if (!replaceFile(temp, path, error)) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

int renderCommand(const RenderOptions& options) {
    if (options.dialog && !settingsDialogAvailable())
        return fail("the settings dialog is part of the Windows module: run radiantix.exe "
                    "(on Linux under Wine)",
                    kExitUsage);
    ImageFormat format = outputFormatFor(options.output);
    if (format == ImageFormat::Unknown || !formatWritable(format))
        return fail("cannot write \"" + options.output + "\": use a " + writableExtensions() +
                        " file name",
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

    // From here on Ctrl-C asks the run to stop instead of killing the process.
    installInterruptHandler();
    SunParameters* settings = new SunParameters;
    std::unique_ptr<SunParameters> owned(settings);
    int status = kExitOk;
    if (!buildSettings(options.settings, *settings, status)) return status;

    std::string error = outputProblem(options.output);
    if (!error.empty()) return fail(error, kExitFailure);
    RenderJob job;
    if (options.input.empty()) {
        job.image = builtInSky();
    } else if (!loadImage(options.input, job.image, error, readOptions)) {
        return fail(error, kExitFailure);
    }
    if (job.image.hasAlpha() && !formatHoldsAlpha(format) && !options.flatten)
        return fail("\"" + options.input + "\" has an alpha channel, which " + formatName(format) +
                        " cannot hold: write PNG, TIFF or WebP, or pass --flatten to put it on white",
                    kExitUsage);
    Image mask;
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

    std::string modulePath = options.modulePath.empty() ? defaultModulePath() : options.modulePath;
    std::unique_ptr<FilterModule> module = FilterModule::open(modulePath, error);
    if (!module) return fail(error, kExitFailure);

    if (interruptRequested()) return fail("interrupted; nothing written", kExitInterrupted);
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
    int16_t result = runRenderJob(module->entry(), job);
    if (result == 0 && !interruptRequested()) bar.update(1, 1);
    bar.finish();
    if (result == userCanceledErr)
        return fail("the dialog was cancelled; nothing written", kExitCancelled);
    if (result == 1 || interruptRequested())
        return fail("interrupted; nothing written", kExitInterrupted);
    if (result != 0)
        return fail("the module stopped with result code " + std::to_string(result) +
                        "; nothing written",
                    kExitFailure);

    if (!formatHoldsAlpha(format)) flattenAlpha(job.image);
    std::vector<uint8_t> bytes;
    if (!encodeImage(job.image, format, bytes, error, writeOptions))
        return fail(error, kExitFailure);
    if (!writeFileAtomically(options.output, bytes, error))
        return fail(error, error == "interrupted" ? kExitInterrupted : kExitFailure);
    if (!options.quiet)
        std::printf("wrote %s (%d x %d, %s)\n", options.output.c_str(), int(job.image.width),
                    int(job.image.height), kindName(job.image));
    return kExitOk;
}

int presetShowCommand(const std::string& path, bool json) {
    std::unique_ptr<SunParameters> p(new SunParameters);
    resetToDefaults(*p);
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
        for (size_t i = 0; i < missing.size(); ++i)
            out += (i ? ", \"" : "\"") + missing[i] + "\"";
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
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

int presetWriteCommand(const PresetWriteOptions& options) {
    std::unique_ptr<SunParameters> p(new SunParameters);
    int status = kExitOk;
    if (!buildSettings(options.settings, *p, status)) return status;
    std::array<uint8_t, kPresetFileSize> data = serializePreset(*p);
    std::vector<uint8_t> bytes(data.begin(), data.end());
    std::string error;
    if (!writeFileAtomically(options.path, bytes, error)) return fail(error, kExitFailure);
    return kExitOk;
}

int aboutCommand(const std::string& modulePathOption) {
    std::printf("radiantix %s: renders a procedural sun onto images through the Radiantix "
                "filter module, as a paint program does.\n", RADIANTIX_VERSION);
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
