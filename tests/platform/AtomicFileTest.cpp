// The one writer: failures, signals and kills leave the old file whole; odd kinds of target.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "support/TempFolder.h"
#include "texts/FailureText.h"
#include "platform/AtomicFile.h"
#include "samplegen/SampleLog.h"

using namespace quillon;
namespace fs = std::filesystem;
using namespace quillon::test;

namespace {

struct FaultHook {
    explicit FaultHook(WriteStep failing) {
        AtomicFile::SetFaultHook([failing](WriteStep step) { return step == failing; });
    }
    ~FaultHook() { AtomicFile::SetFaultHook({}); }
};

/// A child that opens a save of `path`, writes part of it, tells the parent through a pipe and
/// waits to be killed. Returns its pid.
pid_t StartHangingWriter(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        AtomicFile file(path);
        const std::string piece(3 << 20, 'x');
        if (!file.Open() || !file.Write(piece)) ::_exit(3);
        (void)!::write(ready[1], "r", 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char c = 0;
    (void)!::read(ready[0], &c, 1);
    ::close(ready[0]);
    return c == 'r' ? pid : -1;
}

}  // namespace

TEST(AtomicFile, AFailureAtAnyStepKeepsTheOldFileAndLeavesNoTemporary) {
    TempFolder dir;
    const std::string target = dir / "run.csv";
    const std::string bigger(3 << 20, 'n');  // more than the buffer: several real writes
    for (WriteStep step :
         {WriteStep::Create, WriteStep::Write, WriteStep::SyncFile, WriteStep::Rename}) {
        ASSERT_TRUE(WriteFileAtomically(target, "old"));
        FaultHook fault(step);
        const Result failed = WriteFileAtomically(target, bigger);
        EXPECT_FALSE(failed) << int(step);
        EXPECT_NE(failed.path.find("run.csv"), std::string::npos) << failed.path;
        EXPECT_EQ(ReadText(target), "old") << int(step);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"run.csv"}) << int(step);
    }
    // A folder that cannot be synced after the rename: the new file is in place, so the save
    // succeeded; the writer keeps the sync failure as a warning.
    {
        FaultHook fault(WriteStep::SyncFolder);
        AtomicFile file(target);
        ASSERT_TRUE(file.Open() && file.Write("new"));
        EXPECT_TRUE(file.Commit());
        EXPECT_EQ(file.Warning().cause, Cause::SyncFolderFailed);
    }
    EXPECT_EQ(ReadText(target), "new");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"run.csv"});
}

TEST(AtomicFile, SymlinksAreFollowedAndModesKept) {
    TempFolder dir;
    fs::create_directory(dir / "real");
    ASSERT_TRUE(WriteFileAtomically(dir / "real/a.graph", "old"));
    ::chmod((dir / "real/a.graph").c_str(), 0600);
    fs::create_symlink("real/a.graph", dir / "link.graph");
    ASSERT_TRUE(WriteFileAtomically(dir / "link.graph", "new"));
    EXPECT_EQ(std::pair(fs::is_symlink(dir / "link.graph"), ReadText(dir / "real/a.graph")),
              std::pair(true, std::string("new")));
    EXPECT_EQ(fs::status(dir / "real/a.graph").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // A link to a file that does not exist yet makes that file.
    fs::create_symlink("real/b.graph", dir / "dangling.graph");
    ASSERT_TRUE(WriteFileAtomically(dir / "dangling.graph", "b"));
    EXPECT_EQ(std::pair(fs::is_symlink(dir / "dangling.graph"), ReadText(dir / "real/b.graph")),
              std::pair(true, std::string("b")));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"dangling.graph", "link.graph", "real"}));
}

TEST(AtomicFile, ReadOnlyTargetsAndUnsafeOrLoopingLinksAreRefused) {
    TempFolder dir;
    ASSERT_TRUE(WriteFileAtomically(dir / "locked.csv", "old"));
    ::chmod((dir / "locked.csv").c_str(), 0444);
    fs::create_symlink("b.csv", dir / "a.csv");
    fs::create_symlink("a.csv", dir / "b.csv");
    // A shared sticky folder with a link that another user planted there.
    fs::create_directory(dir / "shared");
    ::chmod((dir / "shared").c_str(), 01777);
    ASSERT_TRUE(WriteFileAtomically(dir / "victim", "mine"));
    fs::create_symlink("../victim", dir / "shared/planted.csv");
    fs::create_symlink("../victim", dir / "shared/own.csv");
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::lchown((dir / "shared/planted.csv").c_str(), 4242, 4242) == 0);
    const struct {
        std::string path;
        Cause cause;
    } cases[] = {{dir / "locked.csv", Cause::TargetReadOnly},
                 {dir / "a.csv", Cause::SymlinkLoop},
                 {dir / "shared/planted.csv", root ? Cause::UnsafeSymlink : Cause::None}};
    for (const auto& c : cases) {
        if (c.cause == Cause::None) continue;
        const Result r = WriteFileAtomically(c.path, "new");
        EXPECT_EQ(std::tuple(r.cause, r.path), std::tuple(c.cause, c.path)) << FailureText(r);
    }
    EXPECT_EQ(ReadText(dir / "locked.csv"), "old");
    EXPECT_TRUE(fs::is_symlink(dir / "a.csv"));
    EXPECT_EQ(ReadText(dir / "victim"), "mine");
    // Our own link in the same folder is followed.
    ASSERT_TRUE(WriteFileAtomically(dir / "shared/own.csv", "ours"));
    EXPECT_EQ(ReadText(dir / "victim"), "ours");
}

TEST(AtomicFile, OwnerAttributesAndHardLinksAreKept) {
    TempFolder dir;
    const std::string target = dir / "run.dl";
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    fs::create_hard_link(target, dir / "other-name.dl");
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(target.c_str(), 4242, 4343) == 0);
    const bool xattrs = ::setxattr(target.c_str(), "user.origin", "dash", 4, 0) == 0;
    ASSERT_TRUE(WriteFileAtomically(target, "new content"));
    EXPECT_EQ(ReadText(dir / "other-name.dl"), "new content");  // still one file
    struct stat st {};
    EXPECT_TRUE(::stat(target.c_str(), &st) == 0 && st.st_nlink == 2u);
    // Without other names the file is replaced by a new one with the old owner and attributes.
    fs::remove(dir / "other-name.dl");
    ASSERT_TRUE(WriteFileAtomically(target, "newer"));
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_TRUE(!root || std::tuple(st.st_uid, st.st_gid) == std::tuple(4242u, 4343u));
    char value[8] = {};
    EXPECT_TRUE(!xattrs || ::getxattr(target.c_str(), "user.origin", value, sizeof value) == 4);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"run.dl"});
}

TEST(AtomicFile, FifosDevicesAndFoldersAreRefusedAsTargets) {
    TempFolder dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.csv").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.csv");
    fs::create_symlink("/dev/null", dir / "null.csv");
    struct Case {
        std::string path, text;
    } cases[] = {{dir / "pipe.csv", "FIFO"},
                 {dir / "folder.csv", "folder"},
                 {dir / "null.csv", "device"},
                 {"/dev/null", "device"}};
    for (const Case& c : cases) {
        const std::string error = FailureText(WriteFileAtomically(c.path, "x"));
        EXPECT_NE(error.find(c.text), std::string::npos) << c.path << ": " << error;
    }
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.csv"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"folder.csv", "null.csv", "pipe.csv"}));
}

TEST(AtomicFile, SignalsRemoveTheTemporaryAndAKilledWritersIsSweptByTheNextRun) {
    TempFolder dir;
    ASSERT_TRUE(WriteSampleLog(dir / "run.dl", {.frames = 50}));
    const std::string before = ReadText(dir / "run.dl");
    for (int signal : {SIGTERM, SIGINT}) {
        pid_t pid = StartHangingWriter(dir / "run.dl");
        ASSERT_GT(pid, 0);
        EXPECT_EQ(dir.Names().size(), 2u);  // the file and the child's temporary
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"run.dl"});
        EXPECT_EQ(ReadText(dir / "run.dl"), before);
    }
    pid_t pid = StartHangingWriter(dir / "run.dl");
    ASSERT_GT(pid, 0);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    std::vector<std::string> left = dir.Names();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_TRUE(AtomicFile::IsTemporaryName(left[0])) << left[0];
    // The next run that writes into the folder removes the dead writer's temporary; that of a
    // live process, or one newer than the sweeping process, is left alone.
    const std::string live = ".x.csv.quillon-" + std::to_string(::getpid()) + "-7.tmp";
    std::ofstream(dir / live) << "live";
    const std::string command = std::string("'") + QUILLON_CLI_PATH + "' export-csv '" +
                                (dir / "run.dl") + "' -o '" + (dir / "run.csv") + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{live, "run.csv", "run.dl"}));
    EXPECT_EQ(ReadText(dir / "run.dl"), before);
    EXPECT_FALSE(AtomicFile::IsTemporaryName("run.dl"));
    EXPECT_FALSE(AtomicFile::IsTemporaryName(".run.dl.quillon-12-x.tmp"));
}
