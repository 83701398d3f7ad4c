// The radiantix command as a user meets it: the built program, the native module file,
// real image and preset files, exit statuses and messages.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/image_io.h"
#include "host_test_support.h"

extern char** environ;

namespace rx::cli {
namespace {

struct Outcome {
    int status = -1;  // exit status, or 256 + the signal that ended the process
    std::string out, err;
};

using testing::fileBytes;

// A private folder, also the cache's: the user's last settings must not reach these renders.
class CliCommand : public testing::IsolatedCache {
protected:
    // Where the next runs read stdin, write stdout and start; "" the usual.
    std::string stdinPath, stdoutPath, cwd;

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Starts radiantix (or a copy of it); stdout and stderr go to files.
    pid_t start(const std::vector<std::string>& args,
                const std::string& program = RADIANTIX_CLI_EXE) {
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = stdoutPath.empty() ? path("stdout") : stdoutPath;
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        if (!stdinPath.empty())
            posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, path("stderr").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0);
        return pid;
    }
    Outcome finish(pid_t pid) {
        Outcome r;
        int ws = 0;
        // A run that hangs is killed after two minutes (and ends with 256 + SIGKILL).
        for (int i = 0; waitpid(pid, &ws, WNOHANG) == 0; ++i) {
            if (i == 12000) kill(pid, SIGKILL);
            usleep(10 * 1000);
        }
        r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 256 + WTERMSIG(ws);
        r.out = fileBytes(path("stdout"));
        r.err = fileBytes(path("stderr"));
        return r;
    }
    Outcome run(const std::vector<std::string>& args,
                const std::string& program = RADIANTIX_CLI_EXE) {
        return finish(start(args, program));
    }

    Outcome render(std::vector<std::string> args) {
        args.insert(args.begin(), {"render", "-q", "--module", RADIANTIX_MODULE_FILE});
        return run(args);
    }

    void writeImage(const std::string& name, const Image& img) {
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(encodeImage(img, outputFormatFor(name), bytes, error)) << error;
        ASSERT_TRUE(writeFileAtomically(path(name), bytes, error)) << error;
    }
    Image readImage(const std::string& name) {
        Image img;
        std::string error;
        EXPECT_TRUE(loadImage(path(name), img, error)) << error;
        return img;
    }

    // A failure as the command promises it: the status, one "radiantix: " line naming the
    // problem, and no output file.
    void expectFailure(const Outcome& r, int status, const std::string& mentions,
                       const std::string& output) {
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_EQ(r.err.rfind("radiantix: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(mentions), std::string::npos) << r.err;
        EXPECT_TRUE(output.empty() || !std::filesystem::exists(path(output))) << output;
    }
};

// Files whose names start with `name` and more: temporary files left behind.
size_t leftovers(const std::string& dir, const std::string& name) {
    size_t n = 0;
    for (const std::string& f : testing::fileNames(dir))
        n += f.size() > name.size() && f.compare(0, name.size(), name) == 0;
    return n;
}

TEST_F(CliCommand, EveryBadOrHostileInputFailsInOneLineWithoutWaitingAndWritesNothing) {
    writeImage("in.png", testing::picture(40, 30, 3));
    writeImage("in4.png", testing::picture(40, 30, 4));
    writeImage("small_mask.png", testing::picture(39, 30, 1));
    std::ofstream(path("text.png")) << "not an image at all";
    std::ofstream(path("notamodule.so")) << "not a module";
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(path("folder").c_str(), 0700), 0);
    // A 5 GB file that holds nothing (sparse), a 2 MB "preset", a module cut short: its
    // headers whole, its code cut off (debug sections can make up most of the file).
    std::ofstream(path("huge.png")).close();
    ASSERT_EQ(truncate(path("huge.png").c_str(), 5ll << 30), 0);
    std::ofstream(path("big.q4q")) << std::string(2 << 20, '\0');
    std::ofstream(path("cut.so"), std::ios::binary)
        << fileBytes(RADIANTIX_MODULE_FILE).substr(0, 8192);
    // about with no module where it looks (a copy of the program alone in a folder).
    const std::string lone = path("radiantix");
    std::filesystem::copy_file(RADIANTIX_CLI_EXE, lone);
    const std::string in = path("in.png"), o = path("out.png");
    const std::vector<std::string> r = {"render", "-q", "--module", RADIANTIX_MODULE_FILE};
    auto with = [](std::vector<std::string> a, std::vector<std::string> more) {
        a.insert(a.end(), more.begin(), more.end());
        return a;
    };
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
        std::string program = RADIANTIX_CLI_EXE;
    };
    // clang-format off
    const Case cases[] = {
        {with(r, {in, "-o", o, "--set", "sunRadiuz=3"}), kExitUsage, "unknown field \"sunRadiuz\""},
        {with(r, {in, "-o", o, "--set", "sunColor=#12"}), kExitUsage, "not a colour"},
        {with(r, {in, "-o", o, "--set", "blendMode=shine"}), kExitUsage, "normal, procedural +"},
        {with(r, {in, "-o", o, "--set", "sunRadius=101"}), kExitUsage, "out of range 0..100"},
        {with(r, {in, "-o", o, "--set", "seed=99999999999999999999"}), kExitUsage, "seed: \"9999"},
        {with(r, {in, "-o", o, "--set", "spikeVector=1e99,0"}), kExitUsage, "not a vector"},
        {with(r, {in, "-o", o, "--set", "flareVector=nan,0"}), kExitUsage, "not a vector"},
        {with(r, {in, "-o", o, "--set", "sunRadius"}), kExitUsage, "not of the form field=value"},
        {with(r, {"-o", o, "--set", "sunRadius=3", "blendMode=10"}), kExitUsage, "give --set once for each"},
        {{"rendr", in}, kExitUsage, "unknown command \"rendr\""},
        {with(r, {in, "-o", o, "--seed", "4096"}), kExitUsage, "seed"},
        {with(r, {in, "-o", o, "--seed", "0x10"}), kExitUsage, "seed"},
        {with(r, {in, "-o", o, "--seed", ""}), kExitUsage, "seed"},
        {with(r, {in, "-o", o, "--center", "3;4"}), kExitUsage, "--center"},
        {with(r, {in, "-o", o, "--threads", "0"}), kExitUsage, "--threads"},
        {with(r, {in, "-o", o, "--mask", path("small_mask.png")}), kExitFailure, "39 x 30"},
        {with(r, {in, "-o", o, "--mask", in}), kExitFailure, "not a grey image"},
        {with(r, {in, "-o", path("out.xcf")}), kExitUsage, ".png, .jpg, .tif, .webp, .bmp, .tga"},
        {with(r, {in, "-o", path("no/out.png")}), kExitFailure, "folder"},
        {with(r, {in, "-o", o, "--quality", "50"}), kExitUsage, "--quality"},
        {with(r, {path("in4.png"), "-o", path("out.jpg")}), kExitUsage, "--flatten"},
        {with(r, {in, "-o", o, "--depth", "16"}), kExitUsage, "--depth"},
        {with(r, {in, "-o", o, "--preset", path("missing.q4q")}), kExitFailure, "missing.q4q"},
        {with(r, {in, "-o", o, "--bogus"}), kExitUsage, "--bogus"},
        {with(r, {path("missing.png"), "-o", o}), kExitFailure, "missing.png"},
        {with(r, {path("text.png"), "-o", o}), kExitFailure, "not a PNG, JPEG, TIFF, WebP, BMP or TGA"},
        {with(r, {"/dev/zero", "-o", o}), kExitFailure, "not a regular file"},
        {with(r, {path("fifo"), "-o", o}), kExitFailure, "not a regular file"},
        {with(r, {in, "-o", o, "--preset", path("fifo")}), kExitFailure, "not a regular file"},
        {with(r, {in, "-o", o, "--mask", path("fifo")}), kExitFailure, "not a regular file"},
        {with(r, {path("folder"), "-o", o}), kExitFailure, "is a folder"},
        {with(r, {in, "-o", o, "--mask", path("folder")}), kExitFailure, "is a folder"},
        {with(r, {path("huge.png"), "-o", o}), kExitFailure, "larger than the largest image file"},
        {with(r, {in, "-o", o, "--preset", path("big.q4q")}), kExitFailure, "far larger than a preset"},
        {with(r, {"", "-o", o}), kExitUsage, "empty file name"},
        {with(r, {in, "-o", o, "--mask", ""}), kExitUsage, "empty file name"},
        // Module files that are not filter modules: garbage, a real program without the
        // entry, a missing file, a module cut short.
        {{"render", "-q", in, "-o", o, "--module", path("notamodule.so")}, kExitFailure, "not a filter module"},
        {{"render", "-q", in, "-o", o, "--module", "/bin/true"}, kExitFailure, "not a filter module"},
        {{"render", "-q", in, "-o", o, "--module", path("none.so")}, kExitFailure, "not found"},
        {{"render", "-q", in, "-o", o, "--module", path("cut.so")}, kExitFailure, "is damaged"},
        {{"about"}, kExitFailure, "radiantix.so", lone},
        {{"preset", "list"}, kExitFailure, "no presets found", lone},
        {with(r, {in, "-o", o, "--preset", "no-such-look"}), kExitFailure, "no preset named \"no-such-look\" (looked in"},
        // Several inputs, standard input and output.
        {with(r, {in, in, "-o", o}), kExitUsage, "several inputs need -o FOLDER/"},
        {with(r, {in, path("folder/in.png"), "-o", path("{name}.png")}), kExitUsage, "would both be written"},
        {with(r, {"-", "-", "-o", path("{name}.png")}), kExitUsage, "read only once"},
        {with(r, {"-", "-o", path("folder")}), kExitUsage, "standard input has no name"},
        {with(r, {in, "-o", "-"}), kExitUsage, "needs --format"},
        {with(r, {in, "-o", o, "--format", "gif"}), kExitUsage, "--format gif"},
        {with(r, {in, "-o", o, "--jobs", "0"}), kExitUsage, "--jobs"},
        {{"tables"}, kExitUsage, "add --json"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        expectFailure(run(c.args, c.program), c.status, c.says, "");
        EXPECT_EQ(leftovers(dir_, "out"), 0u) << "an output or temporary file was left behind";
    }
    // A FIFO where the settings cache lives is passed over, not waited on.
    ASSERT_EQ(mkfifo(path("Radiantix cached settings 2").c_str(), 0600), 0);
    EXPECT_EQ(render({in, "-o", o}).status, kExitOk);
    EXPECT_EQ(run({"about"}).status, kExitOk);
}

TEST_F(CliCommand, OutputKeepsTheImageKindAndAlphaPassesThrough) {
    for (int channels = 1; channels <= 4; ++channels) {
        SCOPED_TRACE(channels);
        Image in = testing::picture(33, 21, channels);
        writeImage("in.png", in);
        Outcome r = render({path("in.png"), "-o", path("out.png"), "--set", "blendMode=7", "--set",
                            "sunRadius=30"});
        ASSERT_EQ(r.status, 0) << r.err;
        Image out = readImage("out.png");
        ASSERT_EQ(std::vector<int32_t>({out.width, out.height, out.channels}),
                  std::vector<int32_t>({33, 21, channels}));
        size_t changed = 0;
        for (size_t i = 0; i < in.pixels.size(); ++i) {
            const bool alpha = in.hasAlpha() && i % size_t(channels) == size_t(channels - 1);
            ASSERT_TRUE(!alpha || out.pixels[i] == in.pixels[i]) << "alpha byte " << i;
            changed += !alpha && out.pixels[i] != in.pixels[i];
        }
        EXPECT_GT(changed, in.pixels.size() / size_t(channels) / 4) << "the sun is missing";
    }
    // With --flatten, JPEG takes an image with alpha; --format wins over the name.
    Outcome flat = render({path("in.png"), "-o", path("flat.png"), "--format", "jpg", "--flatten",
                           "--quality", "70"});
    ASSERT_EQ(flat.status, 0) << flat.err;
    EXPECT_EQ(readImage("flat.png").channels, 3);
    EXPECT_EQ(fileBytes(path("flat.png")).substr(0, 2), "\xff\xd8");
}

TEST_F(CliCommand, MaskSelectsWhereTheSunIsPainted) {
    Image in = testing::picture(48, 32, 3);
    writeImage("in.png", in);
    ASSERT_EQ(render({path("in.png"), "-o", path("plain.png")}).status, 0);
    const Image plain = readImage("plain.png");
    // Nothing, everything, the left half selected.
    for (int split : {0, 48, 24}) {
        Image mask = testing::picture(48, 32, 1);
        for (size_t i = 0; i < mask.pixels.size(); ++i)
            mask.pixels[i] = int(i % 48) < split ? 255 : 0;
        writeImage("mask.png", mask);
        ASSERT_EQ(
            render({path("in.png"), "-o", path("out.png"), "--mask", path("mask.png")}).status, 0);
        const Image out = readImage("out.png");
        for (size_t i = 0; i < out.pixels.size(); ++i)
            ASSERT_EQ(out.pixels[i], int(i / 3 % 48) < split ? plain.pixels[i] : in.pixels[i])
                << split;
    }
}

TEST_F(CliCommand, StandardStreamsSeveralInputsAndJobsGiveTheSinglePictures) {
    // Inputs of different sizes and kinds, each rendered alone first.
    const std::vector<std::string> names = {"a.png", "b.bmp", "c.png", "d.tga"};
    for (size_t i = 0; i < names.size(); ++i) {
        writeImage(names[i], testing::picture(int32_t(150 + 40 * i), 100, i == 1 ? 1 : 3));
        ASSERT_EQ(render({path(names[i]), "-o", path("ref-" + names[i] + ".png")}).status, 0);
    }
    auto reference = [&](const std::string& name) { return readImage("ref-" + name + ".png"); };
    // Standard input to standard output.
    stdinPath = path("a.png"), stdoutPath = path("piped");
    ASSERT_EQ(render({"-", "-o", "-", "--format", "png"}).status, 0);
    stdinPath = stdoutPath = "";
    EXPECT_EQ(readImage("piped").pixels, reference("a.png").pixels);
    // A folder: each output keeps its input's name; a file that fails is one line and the
    // others are written.
    std::ofstream(path("bad.png")) << "not an image";
    ASSERT_EQ(mkdir(path("out").c_str(), 0700), 0);
    Outcome r = render({path("a.png"), path("bad.png"), path("b.bmp"), "-o", path("out")});
    expectFailure(r, kExitFailure, "bad.png", "out/bad.png");
    EXPECT_EQ(readImage("out/a.png").pixels, reference("a.png").pixels);
    EXPECT_EQ(readImage("out/b.bmp").pixels, reference("b.bmp").pixels);
    // A {name} pattern whose extension picks the format, one job and two at once.
    for (const char* jobs : {"1", "2"}) {
        std::vector<std::string> args;
        for (const std::string& n : names) args.push_back(path(n));
        const std::string folder = std::string("jobs") + jobs;
        ASSERT_EQ(mkdir(path(folder).c_str(), 0700), 0);
        args.insert(args.end(), {"-o", path(folder + "/{name}-sun.tga"), "--jobs", jobs});
        Outcome j = render(args);
        ASSERT_EQ(j.status, 0) << j.err;
        for (const std::string& n : names) {
            const std::string out = folder + "/" + n.substr(0, 1) + "-sun.tga";
            EXPECT_EQ(readImage(out).pixels, reference(n).pixels) << out;
        }
    }
}

TEST_F(CliCommand, PresetsByFileAndByNameShowWriteAndList) {
    const std::string q = path("look.q4q");
    std::vector<std::string> write = {"preset", "write", q};
    for (const char* a : {"sunRadius=33", "blendMode=Difference", "lightingMode=eclipse",
                          "sunColor=#102030", "spikeVector=20000000,0.7,-0.35", "seed=1234",
                          "haloColor=#0102ABCDef00", "flareVector=0.5,0.25", "vortices=0"})
        write.insert(write.end(), {"--set", a});
    Outcome w = run(write);
    ASSERT_EQ(w.status, 0) << w.err;
    std::string bytes = fileBytes(q);
    EXPECT_EQ(bytes.size(), 232u);
    EXPECT_EQ(std::string(bytes, 0, 4), std::string("\0\0\0\x10", 4));
    Outcome s = run({"preset", "show", q, "--json"});
    ASSERT_EQ(s.status, 0) << s.err;
    for (const char* expect :
         {"\"version\": 16", "\"sunRadius\": 33", "\"blendMode\": 4", "\"sunColor\": \"#102030\"",
          "\"spikeVector\": [20000000, 0.7, -0.35]", "\"seed\": 1234", "\"lightingMode\": 3",
          "\"haloColor\": \"#0102abcdef00\"", "\"flareVector\": [0.5, 0.25, 0]", "\"vortices\": 0",
          "\"missing\": []"})
        EXPECT_NE(s.out.find(expect), std::string::npos) << expect << "\n" << s.out;
    // The text form as --set values.
    Outcome t = run({"preset", "show", q});
    EXPECT_NE(t.out.find("\nspikeVector=20000000,0.7,-0.35\n"), std::string::npos) << t.out;

    // A version 1 file cut short is refused with the length it needs (the fix-ups of a whole
    // one are the preset file test's).
    std::string v1(bytes.data(), 80);
    v1[3] = 1;
    std::ofstream(path("v1.q4q"), std::ios::binary) << v1;
    expectFailure(run({"preset", "show", path("v1.q4q"), "--json"}), kExitFailure,
                  "80 bytes long; a version 1 preset has 144", "");

    // Files that are not presets: render refuses them as preset show does, word for word.
    std::ofstream(path("bad.q4q"), std::ios::binary) << std::string(232, '\x7f');
    std::ofstream(path("long.q4q"), std::ios::binary) << std::string(1000, '\0');
    std::string range = bytes;
    range[4 * 10 + 3] = char(200);  // the first slider of the file at 200
    std::ofstream(path("range.q4q"), std::ios::binary) << range;
    writeImage("in.png", testing::picture(40, 30, 3));
    for (const char* file : {"bad.q4q", "long.q4q", "range.q4q"}) {
        Outcome shown = run({"preset", "show", path(file)});
        expectFailure(shown, kExitFailure, "is not a preset file", "");
        Outcome used = render({path("in.png"), "-o", path("out.png"), "--preset", path(file)});
        expectFailure(used, kExitFailure, "is not a preset file", "out.png");
        EXPECT_EQ(used.err, shown.err);
    }

    // A name from the library beside the program is the same look as its file.
    const std::string library = std::string(RADIANTIX_SOURCE_DIR) + "/presets/";
    ASSERT_EQ(render({path("in.png"), "-o", path("a.png"), "--preset", "desert-noon"}).status, 0);
    const std::string file = library + "desert-noon.q4q";
    ASSERT_EQ(render({path("in.png"), "-o", path("b.png"), "--preset", file}).status, 0);
    EXPECT_EQ(readImage("a.png").pixels, readImage("b.png").pixels);
    // The list: one line per preset file, with the description of the library's README.
    Outcome list = run({"preset", "list"});
    ASSERT_EQ(list.status, 0) << list.err;
    const std::string lines = "\n" + list.out;
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(library)) {
        if (e.path().extension() != ".q4q") continue;
        ++files;
        EXPECT_NE(lines.find("\n" + e.path().stem().string() + " "), std::string::npos);
    }
    EXPECT_EQ(size_t(std::count(list.out.begin(), list.out.end(), '\n')), files);
    const size_t desert = lines.find("\ndesert-noon ");
    EXPECT_EQ(lines.substr(lines.find_first_not_of(' ', desert + 12), 47),
              "Desert noon: a blinding flat disc that bleaches")
        << list.out;
}

TEST_F(CliCommand, DiceIsNewEachRunAndWhatItDrewRendersTheSameLook) {
    ASSERT_EQ(run({"preset", "write", path("d1.q4q"), "--dice"}).status, 0);
    ASSERT_EQ(run({"preset", "write", path("d2.q4q"), "--dice"}).status, 0);
    EXPECT_NE(fileBytes(path("d1.q4q")), fileBytes(path("d2.q4q"))) << "two runs drew the same";
    writeImage("in.png", testing::picture(60, 40, 3));
    Outcome d = render({path("in.png"), "-o", path("dice.png"), "--dice", "--set", "blendMode=3",
                        "--save-preset", path("drawn.q4q")});
    ASSERT_EQ(d.status, 0) << d.err;
    const std::string lead = "radiantix: --dice drew: ";
    ASSERT_EQ(d.err.rfind(lead, 0), 0u) << d.err;
    EXPECT_NE(d.err.find(" --set blendMode=3"), std::string::npos) << d.err;
    std::vector<std::string> again = {path("in.png"), "-o", path("again.png")};
    std::istringstream words(d.err.substr(lead.size()));
    for (std::string word; words >> word;) again.push_back(word);
    ASSERT_EQ(render(again).status, 0);
    EXPECT_EQ(readImage("again.png").pixels, readImage("dice.png").pixels);
    ASSERT_EQ(
        render({path("in.png"), "-o", path("saved.png"), "--preset", path("drawn.q4q")}).status, 0);
    EXPECT_EQ(readImage("saved.png").pixels, readImage("dice.png").pixels);
    Outcome e = run({"preset", "write", path("e.q4q"), "--ecce"});
    EXPECT_EQ(e.err, "") << "preset write keeps what it drew in the file";
}

TEST_F(CliCommand, TablesAndHelp) {
    Outcome t = run({"tables", "--json", "--scale", "3", "--set", "sunRadius=50"});
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_NE(t.out.find("\"lensLast\":"), std::string::npos);
    Outcome t1 = run({"tables", "--json", "--set", "sunRadius=50"});
    EXPECT_NE(t.out, t1.out) << "the scale reaches the tables";
    expectFailure(run({"tables", "--json", "--scale", "0"}), kExitUsage, "scale", "");
    Outcome h = run({"render", "--help"});
    EXPECT_EQ(h.status, 0);
    EXPECT_EQ(h.out.find("FIELD=VALUE ..."), std::string::npos) << "--set takes one assignment";
    Outcome v = run({"-V"});
    EXPECT_TRUE(v.status == 0 && v.out.rfind("radiantix 1.", 0) == 0) << v.out;
}

TEST_F(CliCommand, OutputIsWrittenSafelyOrTheRunFails) {
    writeImage("in.png", testing::picture(40, 30, 3));
    // A replaced output keeps its permissions; no temporary file stays behind. (And a bare
    // module name is the file in the current folder.)
    std::ofstream(path("out.png")) << "old";
    ASSERT_EQ(chmod(path("out.png").c_str(), 0640), 0);
    std::filesystem::copy_file(RADIANTIX_MODULE_FILE, path("mod.so"));
    cwd = dir_.string();
    Outcome r = run({"render", "-q", "--module", "mod.so", "in.png", "-o", "out.png"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    struct stat st;
    ASSERT_EQ(stat(path("out.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(leftovers(dir_, "out.png"), 0u);
    // Standard output that cannot be written is a failure, not a silent success.
    stdoutPath = "/dev/full";
    expectFailure(run({"preset", "show", path("missing.q4q")}), kExitFailure, "missing", "");
    ASSERT_EQ(run({"preset", "write", path("p.q4q")}).status, kExitOk);
    expectFailure(run({"preset", "show", path("p.q4q")}), kExitFailure, "standard output", "");
    expectFailure(run({"tables", "--json"}), kExitFailure, "standard output", "");
}

TEST_F(CliCommand, CtrlCAndTermEndEveryPhaseWithoutAnOutputFile) {
    // Signals at times that land in different phases (reading, rendering, encoding,
    // writing); a run the signal came too late for must have finished its output.
    writeImage("in.bmp", testing::picture(4000, 3000, 3));
    int interrupted = 0;
    for (int sig : {SIGINT, SIGTERM})
        for (int ms : {100, 300, 700, 1200}) {
            SCOPED_TRACE(std::to_string(sig) + " after " + std::to_string(ms) + " ms");
            pid_t pid = start({"render", "-q", "--module", RADIANTIX_MODULE_FILE, path("in.bmp"),
                               "-o", path("out.bmp")});
            usleep(useconds_t(ms) * 1000);
            kill(pid, sig);
            Outcome r = finish(pid);
            if (r.status == kExitOk) {
                EXPECT_EQ(readImage("out.bmp").width, 4000);
                std::remove(path("out.bmp").c_str());
                continue;
            }
            // A signal that comes before the program has set up its handler (a slow start
            // on a busy machine) ends it the default way, which writes nothing either.
            if (r.status != 256 + sig) {
                ++interrupted;
                EXPECT_EQ(r.status, kExitInterrupted) << r.err;
                EXPECT_NE(r.err.find("interrupted; nothing written"), std::string::npos) << r.err;
            }
            EXPECT_FALSE(std::filesystem::exists(path("out.bmp")));
            EXPECT_EQ(leftovers(dir_, "out.bmp"), 0u);
        }
    EXPECT_GT(interrupted, 0);
}

}  // namespace
}  // namespace rx::cli
