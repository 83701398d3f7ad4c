// radiantix: the command-line host of the Radiantix filter module.
#include <CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <new>
#include <initializer_list>
#include <string>

#include "app/commands.h"
#include "app/image_io.h"
#include "app/setting_values.h"
#include "app/system.h"
#include "host/types/setting_table.h"

namespace {

using namespace rx::cli;

std::string fieldList() {
    size_t count = 0;
    const rx::SettingInfo* table = rx::settingTable(&count);
    std::string out = "Fields for --set field=value:\n";
    std::string line = " ";
    for (size_t i = 0; i < count; ++i) {
        const rx::SettingInfo& s = table[i];
        std::string item = " " + std::string(s.name);
        switch (s.kind) {
            case rx::SettingKind::Colour: item += "=#rrggbb"; break;
            case rx::SettingKind::Vector: item += "=x,y,z"; break;
            default:
                item += "=" + std::to_string(s.minValue) + ".." + std::to_string(s.maxValue);
                break;
        }
        if (line.size() + item.size() > 88) {
            out += line + "\n";
            line = " ";
        }
        line += item;
    }
    out += line + "\n";
    for (const char* mode : {"blendMode", "lightingMode"})
        out += "  " + std::string(mode) + " also by name: " + modeNames(mode) + "\n";
    return out;
}

// An empty file name is refused rather than taken as "not given".
const CLI::Validator kFileName(
    [](std::string& s) { return s.empty() ? std::string("an empty file name") : std::string(); },
    "FILE");

void addSettingsOptions(CLI::App* cmd, SettingsOptions& s) {
    cmd->add_option("--preset", s.presetPath,
                    "Start from a preset: a file (*.q4q), or a name from the preset library "
                    "(no folder and no .q4q: --preset desert-noon; see radiantix preset list)")
        ->check(kFileName);
    cmd->add_option("--set", s.assignments,
                    "Set one field, e.g. sunRadius=40 or sunColor=#ffce08; repeat --set for each "
                    "field (later ones win)")
        ->allow_extra_args(false)
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name("FIELD=VALUE");
    cmd->add_flag("--dice", s.dice,
                  "Random settings (as the dialog's Dice button); what was drawn is printed on "
                  "stderr as --set arguments");
    cmd->add_flag("--ecce", s.ecce,
                  "A new random noise seed (as the dialog's Ecce button), printed on stderr");
}

const char* const kInputHelp =
    "Input images: PNG, JPEG, TIFF, WebP, BMP or TGA (native build; "
    "PNG, JPEG, BMP or TGA on Windows), grey or colour, 8 bits; - reads standard input";

std::string outputHelp() {
    return "Output image, its kind from the extension (" + writableExtensions() +
           ") or --format; default sun.png. - writes standard output (needs --format). With "
           "several inputs: a folder (OUT/: each output keeps its input's name) or a pattern "
           "where {name} is the input's name without extension (-o 'out/{name}-sun.png')";
}

void addImageOptions(CLI::App* cmd, RenderOptions& r) {
    cmd->add_option("--quality", r.quality, "JPEG and WebP quality 1..100 (default 90)")
        ->check(CLI::Range(1, 100));
    cmd->add_option("--depth", r.depth,
                    "8: reduce 16-bit input to 8 bits (else it renders and is written at 16 bits)")
        ->check(CLI::IsMember({8}));
    cmd->add_flag("--flatten", r.flatten,
                  "Put an image with alpha on white when the output format has no alpha (JPEG)");
}

// A command word that is not one of ours gets its own message: CLI11 would say that a
// subcommand is required, or that the word was not expected.
bool unknownCommand(int argc, char** argv, std::string& message) {
    auto isWord = [&](int i) { return i < argc && argv[i][0] != '-'; };
    auto oneOf = [](const std::string& w, std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (w == n) return true;
        return false;
    };
    if (!isWord(1)) return false;
    const std::string word = argv[1];
    if (!oneOf(word, {"render", "dialog", "tables", "preset", "about"})) {
        message = "unknown command \"" + word +
                  "\" (commands: render, dialog, preset, tables, about; see radiantix --help)";
        return true;
    }
    if (word == "preset" && isWord(2) && !oneOf(argv[2], {"show", "write", "list"})) {
        message = "unknown command \"preset " + std::string(argv[2]) +
                  "\" (preset commands: list, show, write)";
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // From here on Ctrl-C and SIGTERM end the run with one line (app/system.h).
    installInterruptHandler();
    setBinaryStandardStreams();
    CLI::App app{
        "radiantix: puts a procedural sun on a picture through the Radiantix filter "
        "module."};
    app.name("radiantix");
    app.require_subcommand(1);
    // Options are spelled -x and --name on every system, so a path such as /tmp/in.png
    // (a Unix path given to radiantix.exe under Wine) is never taken for a "/option".
    app.allow_windows_style_options(false);
    app.set_version_flag("-V,--version", std::string("radiantix ") + RADIANTIX_VERSION,
                         "Print the version and exit");
    app.footer(
        "Exit status: 0 done, 1 failed (input, module, render or write; with several "
        "inputs: any of them), 2 bad arguments, 3 dialog cancelled, 130 interrupted.");

    RenderOptions render;
    CLI::App* renderCmd = app.add_subcommand(
        "render", "Render a sun onto each IN (default: a built-in sky) and write OUT");
    renderCmd->add_option("IN", render.inputs, kInputHelp)->check(kFileName);
    renderCmd->add_option("-o,--output", render.output, outputHelp())->check(kFileName);
    renderCmd
        ->add_option("--format", render.format,
                     "Output kind: png, jpeg, tiff, webp, bmp or tga (needed for -o -; "
                     "else overrides the extension)")
        ->type_name("KIND");
    renderCmd->add_option("--jobs", render.jobs, "Files rendered at once (default 1)")
        ->check(CLI::Range(1, 64));
    renderCmd
        ->add_option("--save-preset", render.savePreset,
                     "Also write the settings used as a preset file (e.g. after --dice)")
        ->check(kFileName);
    addImageOptions(renderCmd, render);
    addSettingsOptions(renderCmd, render.settings);
    renderCmd
        ->add_option("--center", render.center, "Centre of the sun in pixels (default: middle)")
        ->type_name("X,Y");
    CLI::Option* seedOpt =
        renderCmd->add_option("--seed", render.settings.seed, "Noise seed 0..2047")
            ->type_name("INT");
    renderCmd->add_option("--mask", render.maskPath, "Selection: a grey image of the same size")
        ->check(kFileName);
    renderCmd->add_option("--module", render.modulePath, "The filter module file to load")
        ->check(kFileName);
    renderCmd->add_flag("-q,--quiet", render.quiet, "No progress bar and no summary line");
    int threads = 0;
    renderCmd->add_option("--threads", threads, "Compositing threads (default: one per core)")
        ->check(CLI::Range(1, 64));
    renderCmd->footer(fieldList());

    RenderOptions dialog;
    dialog.dialog = true;
    CLI::App* dialogCmd = app.add_subcommand(
        "dialog", "Open the settings dialog on IN, then render with what was chosen (OK)");
    dialogCmd->add_option("IN", dialog.inputs, "Input image (one), as for render")
        ->check(kFileName)
        ->required()
        ->expected(1);
    dialogCmd->add_option("-o,--output", dialog.output, outputHelp())->check(kFileName);
    addImageOptions(dialogCmd, dialog);
    addSettingsOptions(dialogCmd, dialog.settings);
    dialogCmd->add_option("--mask", dialog.maskPath, "Selection: a grey image of the same size")
        ->check(kFileName);
    dialogCmd->add_option("--module", dialog.modulePath, "The filter module file to load")
        ->check(kFileName);
    dialogCmd->add_flag("-q,--quiet", dialog.quiet, "No progress bar and no summary line");
    dialogCmd->footer(fieldList());

    SettingsOptions tablesSettings;
    CLI::App* tablesCmd =
        app.add_subcommand("tables", "Print the render tables for the given settings");
    int32_t tablesScale = 1;
    bool tablesJson = false;
    addSettingsOptions(tablesCmd, tablesSettings);
    tablesCmd
        ->add_option("--scale", tablesScale, "Preview scale: image pixels per pixel (default 1)")
        ->check(CLI::Range(1, 1000));
    tablesCmd->add_flag("--json", tablesJson, "JSON output (required: the only form)");
    tablesCmd->footer(fieldList());

    CLI::App* presetCmd =
        app.add_subcommand("preset", "List presets, show or write preset files (*.q4q)");
    presetCmd->require_subcommand(1);
    std::string showPath;
    bool showJson = false;
    CLI::App* showCmd =
        presetCmd->add_subcommand("show", "Print every setting a preset file holds");
    showCmd->add_option("FILE", showPath, "The preset file, or a name from the preset library")
        ->check(kFileName)
        ->required();
    showCmd->add_flag("--json", showJson,
                      "JSON output, keyed by field name: every setting as a render uses it");
    CLI::App* listCmd = presetCmd->add_subcommand(
        "list", "The presets of the library (beside the program), each with its description");
    PresetWriteOptions write;
    CLI::App* writeCmd = presetCmd->add_subcommand(
        "write", "Write a preset file from the defaults, --preset, --set, --dice and --ecce");
    writeCmd->add_option("FILE", write.path, "The preset file to write")
        ->check(kFileName)
        ->required();
    addSettingsOptions(writeCmd, write.settings);
    writeCmd->footer(fieldList());
    write.settings.reportDraws = false;  // the file holds what was drawn

    std::string aboutModule;
    CLI::App* aboutCmd = app.add_subcommand("about", "Version, and the module that would be used");
    aboutCmd->add_option("--module", aboutModule, "The filter module file")->check(kFileName);

    std::string unknown;
    if (unknownCommand(argc, argv, unknown)) return fail(unknown, kExitUsage);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::string what = e.what();
        while (!what.empty() && (what.back() == '\n' || what.back() == ' ')) what.pop_back();
        for (char& c : what)
            if (c == '\n') c = ' ';
        return fail(what + " (see radiantix --help)", kExitUsage);
    }

    render.settings.hasSeed = seedOpt->count() > 0;
    // "--set a=1 b=2" leaves b=2 as the input file: say so rather than "cannot open".
    for (const RenderOptions* r : {&render, &dialog})
        for (const std::string& in : r->inputs) {
            std::error_code ec;
            if (in.find('=') != std::string::npos && !std::filesystem::exists(in, ec))
                return fail("\"" + in +
                                "\" is not a file; give --set once for each field "
                                "(--set a=1 --set b=2)",
                            kExitUsage);
        }
    if (*tablesCmd && !tablesJson) return fail("tables prints JSON only: add --json", kExitUsage);
    if (threads > 0) rx::cli::setEnvironment("RADIANTIX_THREADS", std::to_string(threads).c_str());
    try {
        if (*renderCmd) return renderCommand(render);
        if (*dialogCmd) return renderCommand(dialog);
        if (*tablesCmd) return tablesCommand(tablesSettings, tablesScale);
        if (*showCmd) return presetShowCommand(showPath, showJson);
        if (*listCmd) return presetListCommand();
        if (*writeCmd) return presetWriteCommand(write);
        if (*aboutCmd) return aboutCommand(aboutModule);
    } catch (const std::bad_alloc&) {
        const std::string phase = memoryPhase();
        return fail("not enough memory" + (phase.empty() ? "" : " " + phase), kExitFailure);
    }
    return kExitUsage;
}
