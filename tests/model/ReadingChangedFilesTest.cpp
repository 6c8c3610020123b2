// Files that change or fail while read: every reader checks identity and reports I/O errors.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "analysis/ChannelTable.h"
#include "analysis/CsvExport.h"
#include "format/DataLogFrame.h"
#include "format/DlzCodec.h"
#include "format/LegacyConverter.h"
#include "model/DataLogFile.h"
#include "model/LogColumns.h"
#include "model/LogStore.h"
#include "model/ZeroTime.h"
#include "platform/FileSystem.h"
#include "samplegen/LegacyWriter.h"
#include "samplegen/SampleLog.h"
#include "support/TempFolder.h"
#include "texts/FailureText.h"

using namespace quillon;
using namespace quillon::test;

namespace {

using Bytes = std::vector<uint8_t>;

// How the programs read a log: its columns made on demand.
const ReadOptions kLazy = [] {
    ReadOptions options;
    options.allColumns = false;
    return options;
}();

// How the other program writes the file while the reader is stopped.
enum class Writer {
    Append,    // new frames written over the old ones, and one more appended
    SameSize,  // new frames over the old ones, the size kept, the time set to another second
};

// Writes `bytes` over the file in place (no new inode), as a logger or an editor in place does.
void WriteInPlace(const std::string& path, const Bytes& bytes, Writer how) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    Bytes content = bytes;
    if (how == Writer::Append) content.resize(content.size() + kFrameSize, 0x5A);
    ASSERT_EQ(::pwrite(fd, content.data(), content.size(), 0), ssize_t(content.size()));
    if (how == Writer::SameSize) {
        // A time of its own: the file system's clock may not have ticked since the reader looked.
        const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        ::futimens(fd, times);
    }
    ::close(fd);
}

// Runs `read` in a child process that stops itself (SIGSTOP) the first time `stop` is called,
// writes `replacement` over the file while it is stopped, lets it go on, and gives the cause
// the child reported (its exit status; 0 when the read succeeded).
int ReadWhileRewritten(const std::string& path, const Bytes& replacement, Writer how,
                       const std::function<Result(const std::function<void()>& stop)>& read) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        bool stopped = false;
        const Result r = read([&] {
            if (!stopped) ::raise(SIGSTOP);
            stopped = true;
        });
        ::_exit(stopped ? int(r.cause) : 255);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, WUNTRACED), child);
    EXPECT_TRUE(WIFSTOPPED(status));
    WriteInPlace(path, replacement, how);
    ::kill(child, SIGCONT);
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status);
}

}  // namespace

TEST(ReadingChangedFiles, EveryReaderFailsWhenTheFileIsWrittenWhileItReads) {
    TempFolder dir;
    const SampleLogOptions one{.frames = 600}, two{.frames = 600, .seed = 2};
    const Bytes log = GenerateV4Bytes(one), other = GenerateV4Bytes(two);
    const Bytes legacy = GenerateLegacyBytes(2, one), legacyOther = GenerateLegacyBytes(2, two);
    const Bytes dlz = EncodeDlz(log), dlzOther = EncodeDlz(other);

    struct Case {
        const char* name;
        const Bytes *before, *after;
        Cause expected;
        std::function<Result(const std::string& path, const std::function<void()>& stop)> read;
    };
    const std::string csv = dir / "out.csv";
    const Case cases[] = {
        // export-csv: the frames come from the file in one pass after the opening one.
        {"csv", &log, &other, Cause::FileChanged,
         [&](const std::string& path, const std::function<void()>& stop) {
             LogData data;
             if (Result r = ReadDataLog(path, data, {}, kLazy); !r) return r;
             // Stopped once the first frames are out, in the middle of the pass.
             return ExportCsv(data, csv, [&](int64_t done, int64_t) {
                 if (done > 0) stop();
             });
         }},
        // Opening: the pass that makes the time column and the statistics (stats, zero, crop).
        {"open", &log, &other, Cause::FileChanged,
         [&](const std::string& path, const std::function<void()>& stop) {
             LogData data;
             return ReadDataLog(
                 path, data, [&](int64_t, int64_t) { stop(); }, kLazy);
         }},
        {"upgrade", &legacy, &legacyOther, Cause::ChangedWhileRead,
         [&](const std::string& path, const std::function<void()>& stop) {
             Result failure;
             ConvertLegacyLog(
                 path, {}, [&](int64_t, int64_t) { stop(); }, nullptr, {}, &failure);
             return failure;
         }},
        {"dlz in memory", &dlz, &dlzOther, Cause::ChangedWhileRead,
         [&](const std::string& path, const std::function<void()>& stop) {
             LogData data;
             return ReadDataLog(path, data, [&](int64_t, int64_t) { stop(); });
         }},
        {"dlz expanded", &dlz, &dlzOther, Cause::ChangedWhileExpanded,
         [&](const std::string& path, const std::function<void()>& stop) {
             std::string expanded;
             return ExpandDlzFile(path, &expanded, [&](int64_t, int64_t) { stop(); });
         }},
    };
    for (const Case& c : cases) {
        for (Writer how : {Writer::Append, Writer::SameSize}) {
            SCOPED_TRACE(std::string(c.name) + (how == Writer::Append ? " append" : " same size"));
            const std::string path =
                dir / (std::string("run") + (c.before == &dlz ? ".dlz" : ".dl"));
            WriteBytes(path, *c.before);
            const int cause = ReadWhileRewritten(
                path, *c.after, how, [&](const auto& stop) { return c.read(path, stop); });
            EXPECT_EQ(cause, int(c.expected));
            // Nothing half-read was written.
            EXPECT_EQ(dir.Names().size(), 1u) << dir.Names().back();
            std::filesystem::remove(path);
        }
    }
}

TEST(ReadingChangedFiles, AnIoErrorIsAReadFailureWithTheSystemsReason) {
    TempFolder dir;
    const std::string path = dir / "run.dl";
    WriteBytes(path, GenerateV4Bytes({.frames = 300}));
    LogData log;
    ASSERT_TRUE(ReadDataLog(path, log, {}, kLazy));

    // The histogram table, the zero-time search and a pass all say why, and the store stays
    // broken with that reason (a pulled card does not come back).
    fs::SetReadFault(EIO);
    ChannelTable table;
    ChannelTableSetup setup;
    setup.xEdges = {0, 5000, 10000};
    std::string error;
    EXPECT_FALSE(table.Build(log, log.frameCount, setup, &error));
    EXPECT_EQ(table.ReadFailure().cause, Cause::LogReadFailed);
    EXPECT_EQ(table.TotalCount(), 0);
    EXPECT_EQ(FindAutoZeroFrame(log, 12, kAutoZeroGreaterThan, -1e9f), kAutoZeroReadFailed);
    fs::SetReadFault(0);
    const Result broken =
        VisitFrames(log, 0, log.frameCount, [](const uint8_t*, int, int) { return true; });
    EXPECT_EQ(broken.cause, Cause::LogReadFailed);
    EXPECT_EQ(FailureText(broken),
              "Cannot read '" + path + "': " + std::strerror(EIO) + ". The log has been closed.");

    // Reading the start of a log, a compressed log and a legacy log.
    fs::SetReadFault(ENXIO);
    LogData other;
    const Result opening = ReadDataLog(path, other);
    Result converting;
    EXPECT_FALSE(ConvertLegacyLog(path, {}, {}, nullptr, {}, &converting));
    fs::SetReadFault(0);
    for (const Result& r : {opening, converting})
        EXPECT_EQ(std::tuple(r.cause, r.system, r.path),
                  std::tuple(Cause::ReadFailed, std::strerror(ENXIO), path));
}

TEST(ReadingChangedFiles, ALogNeedingMoreMemoryThanTheMachineHasIsRefusedBeforeItIsRead) {
    constexpr uint64_t kFrames = 2000000000;
    // The time column alone takes 16 bytes a frame.
    if (fs::TotalMemory() / 16 > kFrames) GTEST_SKIP() << "the machine has memory for it";
    TempFolder dir;
    const std::string path = dir / "huge.dl";
    // A sparse file of a log's start and 2 billion frames' worth of holes.
    WriteBytes(path, GenerateV4Bytes({.frames = 1}));
    std::filesystem::resize_file(path, kFramesOffset + kFrames * kFrameSize);
    LogData log;
    const Result r = ReadDataLog(path, log, {}, kLazy);
    EXPECT_EQ(r.cause, Cause::LogTooLargeForMemory);
    EXPECT_GT(r.figures[0], r.figures[1]);
    EXPECT_EQ(log.frameCount, 0);
}
