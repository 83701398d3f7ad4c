#include "app/output_plan.h"

#include <filesystem>
#include <map>

namespace rx::cli {

namespace {

namespace fs = std::filesystem;

const char* mainExtension(ImageFormat format) {
    switch (format) {
        case ImageFormat::Png: return "png";
        case ImageFormat::Jpeg: return "jpg";
        case ImageFormat::Tiff: return "tif";
        case ImageFormat::WebP: return "webp";
        case ImageFormat::Bmp: return "bmp";
        case ImageFormat::Tga: return "tga";
        default: return "";
    }
}

bool isFolder(const std::string& output) {
    std::error_code ec;
    return !output.empty() &&
           (output.back() == '/' || output.back() == '\\' || fs::is_directory(output, ec));
}

// The input's file name; the built-in sky is "sun.png".
std::string inputFileName(const std::string& input) {
    return input.empty() ? "sun.png" : fs::path(input).filename().string();
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

ImageFormat formatFromName(const std::string& name) {
    return name.empty() || name.find('.') != std::string::npos ? ImageFormat::Unknown
                                                               : outputFormatFor("x." + name);
}

bool planOutputs(const std::vector<std::string>& inputs, const std::string& output,
                 const std::string& formatOption, std::vector<RenderTarget>& targets,
                 std::string& error) {
    targets.clear();
    ImageFormat forced = ImageFormat::Unknown;
    if (!formatOption.empty()) {
        forced = formatFromName(formatOption);
        if (forced == ImageFormat::Unknown || !formatWritable(forced)) {
            error = "--format " + formatOption + ": this build writes " + writableExtensions();
            return false;
        }
    }
    std::vector<std::string> ins = inputs.empty() ? std::vector<std::string>{""} : inputs;
    size_t stdinCount = 0;
    for (const std::string& in : ins) stdinCount += in == "-";
    if (stdinCount > 1) {
        error = "standard input (-) can be read only once";
        return false;
    }
    const bool pattern = output.find("{name}") != std::string::npos;
    const bool folder = !pattern && output != "-" && isFolder(output);
    if (ins.size() > 1 && !pattern && !folder) {
        error =
            "several inputs need -o FOLDER/ or a pattern such as -o 'out/{name}-sun.png', not \"" +
            output + "\"";
        return false;
    }
    if (output == "-" && forced == ImageFormat::Unknown) {
        error = "-o - (standard output) needs --format: png, jpeg, tiff, webp, bmp or tga";
        return false;
    }
    std::map<std::string, std::string> taken;  // output -> input
    for (const std::string& in : ins) {
        RenderTarget t;
        t.input = in;
        t.output = output;
        if ((pattern || folder) && in == "-") {
            error = "standard input has no name for -o \"" + output + "\": give an output file";
            return false;
        }
        if (folder) {
            std::string name = inputFileName(in);
            if (forced != ImageFormat::Unknown)
                name = fs::path(name).replace_extension(mainExtension(forced)).string();
            t.output = (fs::path(output) / name).string();
        } else if (pattern) {
            replaceAll(t.output, "{name}", fs::path(inputFileName(in)).stem().string());
        }
        t.format = forced != ImageFormat::Unknown ? forced : outputFormatFor(t.output);
        if (t.format == ImageFormat::Unknown || !formatWritable(t.format)) {
            error = "cannot write \"" + t.output + "\": use a " + writableExtensions() +
                    " file name or --format";
            return false;
        }
        if (t.output != "-") {
            auto seen = taken.emplace(fs::path(t.output).lexically_normal().string(), in);
            if (!seen.second) {
                error = "\"" + seen.first->second + "\" and \"" + in +
                        "\" would both be written to \"" + t.output + "\"";
                return false;
            }
        }
        targets.push_back(t);
    }
    return true;
}

}  // namespace rx::cli
