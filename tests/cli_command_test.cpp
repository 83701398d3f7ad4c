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
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/image_io.h"

extern char** environ;

namespace rx::cli {
namespace {

struct Outcome {
    int status = -1;  // exit status, or 256 + the signal that ended the process
    std::string out, err;
};

std::string slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

class CliCommand : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override {
        char tmpl[] = "/tmp/radiantix-cli-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        // The user's cache of last settings must not reach these renders.
        setenv("RADIANTIX_CACHE_DIR", (dir + "/cache").c_str(), 1);
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + dir + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    // Starts radiantix with the arguments; stdout and stderr go to files.
    pid_t start(const std::vector<std::string>& args) {
        std::vector<std::string> all{RADIANTIX_CLI_EXE};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, path("stdout").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, path("stderr").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        int rc = posix_spawn(&pid, RADIANTIX_CLI_EXE, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0);
        return pid;
    }
    Outcome finish(pid_t pid) {
        Outcome r;
        int ws = 0;
        EXPECT_EQ(waitpid(pid, &ws, 0), pid);
        r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 256 + WTERMSIG(ws);
        r.out = slurp(path("stdout"));
        r.err = slurp(path("stderr"));
        return r;
    }
    Outcome run(const std::vector<std::string>& args) { return finish(start(args)); }

    // A render with the module of this build.
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
        if (!output.empty()) {
            EXPECT_FALSE(exists(path(output))) << output;
        }
    }
};

Image gradient(int32_t w, int32_t h, int32_t channels) {
    Image img;
    img.width = w, img.height = h, img.channels = channels;
    img.pixels.resize(size_t(w) * h * channels);
    for (size_t i = 0; i < img.pixels.size(); ++i) img.pixels[i] = uint8_t((i * 37) ^ (i >> 5));
    return img;
}

TEST_F(CliCommand, EveryBadInputFailsWithOneLineAndWritesNothing) {
    writeImage("in.png", gradient(40, 30, 3));
    writeImage("small_mask.png", gradient(39, 30, 1));
    writeImage("colour_mask.png", gradient(40, 30, 3));
    std::ofstream(path("text.png")) << "not an image at all";
    std::ofstream(path("notamodule.so")) << "not a module";
    const std::string out = "out.png";
    const std::string o = path(out);

    expectFailure(render({path("missing.png"), "-o", o}), kExitFailure, "missing.png", out);
    expectFailure(render({path("text.png"), "-o", o}), kExitFailure, "not a PNG, JPEG, BMP or TGA", out);
    expectFailure(render({path("in.png"), "-o", o, "--set", "sunRadiuz=3"}), kExitUsage, "unknown field \"sunRadiuz\"", out);
    expectFailure(render({path("in.png"), "-o", o, "--set", "sunRadius=abc"}), kExitUsage, "sunRadius", out);
    expectFailure(render({path("in.png"), "-o", o, "--set", "sunRadius=101"}), kExitUsage, "out of range 0..100", out);
    expectFailure(render({path("in.png"), "-o", o, "--set", "sunColor=#12"}), kExitUsage, "not a colour", out);
    expectFailure(render({path("in.png"), "-o", o, "--seed", "4096"}), kExitUsage, "seed", out);
    expectFailure(render({path("in.png"), "-o", o, "--center", "3;4"}), kExitUsage, "--center", out);
    expectFailure(render({path("in.png"), "-o", o, "--threads", "0"}), kExitUsage, "--threads", out);
    expectFailure(render({path("in.png"), "-o", o, "--mask", path("small_mask.png")}), kExitFailure, "39 x 30", out);
    expectFailure(render({path("in.png"), "-o", o, "--mask", path("colour_mask.png")}), kExitFailure, "not a grey image", out);
    expectFailure(render({path("in.png"), "-o", path("out.jpg")}), kExitUsage, ".png or .bmp", "out.jpg");
    expectFailure(render({path("in.png"), "-o", o, "--preset", path("missing.q4q")}), kExitFailure, "missing.q4q", out);
    expectFailure(render({path("in.png"), "-o", o, "--bogus"}), kExitUsage, "--bogus", out);
    // Module files that are not filter modules: garbage, and a real program without the entry.
    expectFailure(run({"render", "-q", path("in.png"), "-o", o, "--module", path("notamodule.so")}),
                  kExitFailure, "not a filter module", out);
    expectFailure(run({"render", "-q", path("in.png"), "-o", o, "--module", "/bin/true"}),
                  kExitFailure, "not a filter module", out);
    expectFailure(run({"render", "-q", path("in.png"), "-o", o, "--module", path("none.so")}),
                  kExitFailure, "not found", out);
    // A failed run leaves no temporary file behind either.
    


    for (const char* name : {"out.png", "out.jpg"}) EXPECT_FALSE(exists(path(name)));
}

TEST_F(CliCommand, OutputKeepsTheImageKindAndAlphaPassesThrough) {
    for (int channels = 1; channels <= 4; ++channels) {
        SCOPED_TRACE(channels);
        Image in = gradient(33, 21, channels);
        writeImage("in.png", in);
        Outcome r = render({path("in.png"), "-o", path("out.png"), "--set", "blendMode=7",
                        "--set", "sunRadius=30"});
        ASSERT_EQ(r.status, 0) << r.err;
        Image out = readImage("out.png");
        ASSERT_EQ(out.channels, channels);
        ASSERT_EQ(out.width, 33);
        ASSERT_EQ(out.height, 21);
        size_t changed = 0;
        for (size_t i = 0; i < in.pixels.size(); ++i) {
            bool alpha = in.hasAlpha() && i % size_t(channels) == size_t(channels - 1);
            if (alpha) {
                ASSERT_EQ(out.pixels[i], in.pixels[i]) << "alpha byte " << i;
            } else {
                changed += out.pixels[i] != in.pixels[i];
            }
        }
        EXPECT_GT(changed, in.pixels.size() / size_t(channels) / 4) << "the sun is missing";
    }
    // BMP output holds the same colour picture as PNG output.
    writeImage("in.png", gradient(17, 9, 3));
    ASSERT_EQ(render({path("in.png"), "-o", path("a.png")}).status, 0);
    ASSERT_EQ(render({path("in.png"), "-o", path("a.bmp")}).status, 0);
    EXPECT_EQ(readImage("a.png").pixels, readImage("a.bmp").pixels);
}

TEST_F(CliCommand, MaskSelectsWhereTheSunIsPainted) {
    Image in = gradient(48, 32, 3);
    writeImage("in.png", in);
    Image none = gradient(48, 32, 1), all = none, left = none;
    for (size_t i = 0; i < none.pixels.size(); ++i) {
        none.pixels[i] = 0;
        all.pixels[i] = 255;
        left.pixels[i] = (i % 48) < 24 ? 255 : 0;
    }
    writeImage("none.png", none);
    writeImage("all.png", all);
    writeImage("left.png", left);
    ASSERT_EQ(render({path("in.png"), "-o", path("plain.png")}).status, 0);
    ASSERT_EQ(render({path("in.png"), "-o", path("none_out.png"), "--mask", path("none.png")}).status, 0);
    ASSERT_EQ(render({path("in.png"), "-o", path("all_out.png"), "--mask", path("all.png")}).status, 0);
    ASSERT_EQ(render({path("in.png"), "-o", path("left_out.png"), "--mask", path("left.png")}).status, 0);
    EXPECT_EQ(readImage("none_out.png").pixels, in.pixels);
    EXPECT_EQ(readImage("all_out.png").pixels, readImage("plain.png").pixels);
    Image half = readImage("left_out.png"), plain = readImage("plain.png");
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 48; ++x)
            for (int c = 0; c < 3; ++c) {
                size_t i = (size_t(y) * 48 + x) * 3 + c;
                ASSERT_EQ(half.pixels[i], x < 24 ? plain.pixels[i] : in.pixels[i]) << x << "," << y;
            }
}

TEST_F(CliCommand, PresetWriteAndShowRoundTrip) {
    const std::string q = path("look.q4q");
    Outcome w = run({"preset", "write", q, "--set", "sunRadius=33", "--set", "blendMode=4",
                 "--set", "sunColor=#102030", "--set", "spikeVector=0.7,-0.35,0", "--set", "seed=1234"});
    ASSERT_EQ(w.status, 0) << w.err;
    std::string bytes = slurp(q);
    EXPECT_EQ(bytes.size(), 232u);
    EXPECT_EQ(std::string(bytes, 0, 4), std::string("\0\0\0\x10", 4));
    Outcome s = run({"preset", "show", q, "--json"});
    ASSERT_EQ(s.status, 0) << s.err;
    for (const char* expect : {"\"version\": 16", "\"sunRadius\": 33", "\"blendMode\": 4",
                               "\"sunColor\": \"#102030\"", "\"spikeVector\": [0.7, -0.35, 0]",
                               "\"seed\": 1234", "\"missing\": []"})
        EXPECT_NE(s.out.find(expect), std::string::npos) << expect << "\n" << s.out;
    // Written again from itself, the file is the same bytes.
    ASSERT_EQ(run({"preset", "write", path("again.q4q"), "--preset", q}).status, 0);
    EXPECT_EQ(slurp(path("again.q4q")), bytes);
    // The text form names every setting once.
    Outcome t = run({"preset", "show", q});
    ASSERT_EQ(t.status, 0);
    EXPECT_NE(t.out.find("sunColor=#102030\n"), std::string::npos) << t.out;
    EXPECT_NE(t.out.find("spikeVector=0.7,-0.35,0\n"), std::string::npos) << t.out;

    // An old, short version 1 file: the fields it lacks are listed.
    std::string v1(bytes.data(), 4 * 20);
    v1[3] = 1;
    std::ofstream(path("v1.q4q"), std::ios::binary) << v1;
    Outcome o = run({"preset", "show", path("v1.q4q"), "--json"});
    if (o.status == 0) {
        EXPECT_NE(o.out.find("\"version\": 1,"), std::string::npos) << o.out;
        EXPECT_EQ(o.out.find("\"missing\": []"), std::string::npos) << o.out;
    } else {
        EXPECT_NE(o.err.find("bytes long"), std::string::npos) << o.err;
    }
}

TEST_F(CliCommand, FilesThatAreNotPresetsAreReportedButStillRender) {
    std::string garbage(232, '\x7f');  // version 0x7f7f7f7f, values far out of range
    std::ofstream(path("bad.q4q"), std::ios::binary) << garbage;
    std::ofstream(path("long.q4q"), std::ios::binary) << std::string(1000, '\0');
    ASSERT_EQ(run({"preset", "write", path("range.q4q")}).status, 0);
    std::string range = slurp(path("range.q4q"));
    range[4 * 10 + 3] = char(200);  // the first slider of the file at 200
    std::ofstream(path("range.q4q"), std::ios::binary) << range;
    expectFailure(run({"preset", "show", path("bad.q4q")}), kExitFailure, "not a preset file", "");
    expectFailure(run({"preset", "show", path("long.q4q")}), kExitFailure, "not a preset file", "");
    expectFailure(run({"preset", "show", path("range.q4q")}), kExitFailure, "outside 0..100", "");
    writeImage("in.png", gradient(20, 10, 3));
    Outcome r = render({path("in.png"), "-o", path("out.png"), "--preset", path("range.q4q")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("brought into range"), std::string::npos) << r.err;
    EXPECT_TRUE(exists(path("out.png")));
}

TEST_F(CliCommand, DiceAndEcceChangeTheLookAndSetOverridesThem) {
    ASSERT_EQ(run({"preset", "write", path("plain.q4q")}).status, 0);
    ASSERT_EQ(run({"preset", "write", path("ecce.q4q"), "--ecce", "--set", "sunRadius=9"}).status, 0);
    ASSERT_EQ(run({"preset", "write", path("dice.q4q"), "--dice", "--set", "blendMode=3"}).status, 0);
    std::string plain = slurp(path("plain.q4q")), ecce = slurp(path("ecce.q4q"));
    Outcome e = run({"preset", "show", path("ecce.q4q"), "--json"});
    EXPECT_NE(e.out.find("\"sunRadius\": 9,"), std::string::npos) << e.out;
    Outcome d = run({"preset", "show", path("dice.q4q"), "--json"});
    ASSERT_EQ(d.status, 0) << d.err;
    EXPECT_NE(d.out.find("\"blendMode\": 3,"), std::string::npos) << d.out;
    EXPECT_NE(slurp(path("dice.q4q")), plain);
}

TEST_F(CliCommand, TablesAndHelp) {
    Outcome t = run({"tables", "--json", "--scale", "3", "--set", "sunRadius=50"});
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(t.out.front(), '{');
    EXPECT_NE(t.out.find("\"lensLast\":"), std::string::npos);
    Outcome t1 = run({"tables", "--json", "--set", "sunRadius=50"});
    EXPECT_NE(t.out, t1.out) << "the scale reaches the tables";
    expectFailure(run({"tables", "--json", "--scale", "0"}), kExitUsage, "scale", "");
    Outcome h = run({"render", "--help"});
    EXPECT_EQ(h.status, 0);
    EXPECT_NE(h.out.find("spikeVector=x,y,z"), std::string::npos) << h.out;
}

TEST_F(CliCommand, CtrlCEndsTheRunCleanlyWithoutAnOutputFile) {
    // The image comes through a pipe, so the interrupt lands while the command is
    // certainly running: opening the pipe for writing returns only once the command has
    // opened it for reading, which it does after taking over Ctrl-C.
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(encodeImage(gradient(300, 200, 3), ImageFormat::Png, bytes, error)) << error;
    std::string pipePath = path("in.png");
    ASSERT_EQ(mkfifo(pipePath.c_str(), 0600), 0);
    pid_t pid = start({"render", "-q", "--module", RADIANTIX_MODULE_FILE, pipePath, "-o",
                       path("out.png")});
    int fd = open(pipePath.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    kill(pid, SIGINT);
    usleep(100 * 1000);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    close(fd);
    Outcome r = finish(pid);
    EXPECT_EQ(r.status, kExitInterrupted) << r.err << r.out;
    EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
    EXPECT_FALSE(exists(path("out.png")));
    std::string cmd = "ls '" + dir + "' | grep -q part";
    EXPECT_NE(std::system(cmd.c_str()), 0) << "a temporary file was left behind";
}

}  // namespace
}  // namespace rx::cli
