// Writing over an output: a symbolic link is replaced, never written through; Ctrl-C pressed
// twice while writing leaves the old file and no temporary file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/commands.h"
#include "app/system.h"
#include "host_test_support.h"

namespace fs = std::filesystem;
using rx::testing::fileBytes;
using rx::testing::fileNames;

namespace {

using OutputWrite = rx::testing::IsolatedCache;  // a private folder, dir_

TEST_F(OutputWrite, ReplacesASymbolicLinkNeverItsTarget) {
    std::ofstream(dir_ / "other.png") << "precious";
    fs::permissions(dir_ / "other.png", fs::perms::owner_read | fs::perms::owner_write);
    const mode_t mask = umask(0);
    umask(mask);
    for (const char* target : {"other.png", "missing.png"}) {  // a file, and a dangling link
        SCOPED_TRACE(target);
        const fs::path out = dir_ / "out.png";
        fs::remove(out);
        fs::create_symlink(target, out);
        std::string error;
        ASSERT_TRUE(rx::cli::writeFileAtomically(out.string(), {'n', 'e', 'w'}, error)) << error;
        struct stat st;
        ASSERT_EQ(lstat(out.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);  // not the linked file's 0600
        EXPECT_EQ(fileBytes(out), "new");
        EXPECT_EQ(fileBytes(dir_ / "other.png"), "precious");
        EXPECT_EQ(fileNames(dir_), (std::vector<std::string>{"other.png", "out.png"}));
    }
}

TEST_F(OutputWrite, CtrlCTwiceWhileWritingLeavesNoTemporaryFile) {
    const fs::path out = dir_ / "out.png";
    std::ofstream(out) << "old";
    const pid_t pid = fork();
    if (pid == 0) {
        rx::cli::installInterruptHandler();
        rx::cli::setInterruptPolled(true);
        std::string error;
        // Three chunks; both signals arrive after the first is written.
        const std::vector<uint8_t> bytes(size_t(40) << 20, 7);
        const bool written = rx::cli::writeFileAtomically(out.string(), bytes, error, [] {
            static int calls = 0;
            if (++calls == 2) {
                raise(SIGINT);
                raise(SIGTERM);
            }
            return !rx::cli::interruptRequested();
        });
        _exit(!written && error == "interrupted; nothing written" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    EXPECT_EQ(fileNames(dir_), std::vector<std::string>{"out.png"});
    EXPECT_EQ(fileBytes(out), "old");
}

}  // namespace
