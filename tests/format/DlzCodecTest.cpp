#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <unistd.h>

#include "support/TempFolder.h"
#include "texts/FailureText.h"
#include "format/DlzCodec.h"
#include "platform/AtomicFile.h"
#include "samplegen/SampleLog.h"

using namespace quillon;
namespace fs = std::filesystem;
using namespace quillon::test;

namespace {

std::vector<uint8_t> Flipped(std::vector<uint8_t> bytes) {
    bytes.resize(FlipWords(bytes.data(), bytes.size(), bytes.data()));
    return bytes;
}

std::vector<uint8_t> Decoded(const std::vector<uint8_t>& dlz) {
    return DecodeDlz(dlz.data(), dlz.size());
}

}  // namespace

TEST(DlzCodec, WordFlipThenEscapesExpandToRunsAndLiteralFFAndTruncatedInputsEndCleanly) {
    EXPECT_EQ(Flipped({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}),
              (std::vector<uint8_t>{4, 3, 2, 1, 8, 7, 6, 5}));  // a trailing part word dropped
    // Expanded stream: A, 5 x 0x00, nothing (count 0), 0xFF, 255 x 0x42, then literals; its
    // length, 269, leaves one byte that the last flip drops.
    std::vector<uint8_t> stream = {'A',  0xFF, 5,    0x00, 0xFF, 0, 0x99, 0xFF, 1,    0xFF,
                                   0xFF, 255,  0x42, 'B',  'C',  7, 8,    9,    0xEE, 0xEE};
    std::vector<uint8_t> expanded = {'A', 0, 0, 0, 0, 0, 0xFF};
    expanded.insert(expanded.end(), 255, 0x42);
    expanded.insert(expanded.end(), {'B', 'C', 7, 8, 9, 0xEE, 0xEE});
    ASSERT_EQ(expanded.size(), 269u);
    EXPECT_EQ(Decoded(Flipped(stream)), Flipped(expanded));

    // The streaming expander gives the same, whatever the pieces (escapes split between them).
    for (size_t piece : {size_t(1), size_t(2), size_t(3), size_t(7)}) {
        RunLengthExpander expander;
        std::vector<uint8_t> out;
        for (size_t at = 0; at < stream.size(); at += piece) {
            size_t n = std::min(piece, stream.size() - at);
            uint64_t before = out.size();
            uint64_t measured = expander.Measure(stream.data() + at, n);
            expander.Feed(stream.data() + at, n, out);
            ASSERT_EQ(out.size() - before, measured);
        }
        EXPECT_EQ(out, expanded) << piece;
    }
    // An escape cut off after its marker or count simply ends the data.
    for (std::vector<uint8_t> stream :
         {std::vector<uint8_t>{1, 2, 3, 4, 0xFF}, std::vector<uint8_t>{1, 2, 3, 4, 0xFF, 9}}) {
        RunLengthExpander expander;
        std::vector<uint8_t> out;
        expander.Feed(stream.data(), stream.size(), out);
        EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3, 4}));
    }
    // A .dlz whose length is not a multiple of 4 loses its last 1 to 3 bytes.
    std::vector<uint8_t> dlz = Flipped({1, 2, 3, 4, 5, 6, 7, 8});
    const std::vector<uint8_t> expected = Decoded(dlz);
    for (int extra = 1; extra <= 3; ++extra) {
        dlz.push_back(0xFF);
        EXPECT_EQ(Decoded(dlz), expected);
    }
    EXPECT_TRUE(DecodeDlz(nullptr, 0).empty());
}

TEST(DlzCodec, PathsChangeTheExtensionOnly) {
    EXPECT_TRUE(IsDlzPath("run.dlz.bak") && !IsDlzPath("Old.DLZ/run.dl") && !IsDlzPath("run.dl"));
    EXPECT_EQ(DlzTargetPath("/Data/Track Day/Pass 3.Dlz"), "/Data/Track Day/Pass 3.dl");
    EXPECT_EQ(DlzTargetPath("a.dlz.dlz"), "a.dl.dl");
}

TEST(DlzCodec, ExpandsBesideTheDlzAndBadFilesLeaveNoScratchFiles) {
    TempFolder dir;
    fs::create_directory(dir / "Logs");
    SampleLogOptions o{.frames = 2000};
    std::string dlz = dir / "Logs/Run.DLZ";
    ASSERT_TRUE(WriteSampleDlz(dlz, o));
    std::string dl;
    int64_t lastDone = 0, lastTotal = 0;
    const Result expanded = ExpandDlzFile(dlz, &dl, [&](int64_t done, int64_t total) {
        EXPECT_GE(done, lastDone);
        lastDone = done, lastTotal = total;
    });
    ASSERT_TRUE(expanded) << FailureText(expanded);
    EXPECT_EQ(dl, dir / "Logs/Run.dl");
    EXPECT_EQ(ReadBytes(dl), GenerateV4Bytes(o));
    EXPECT_EQ(dir.Names(true), (std::vector<std::string>{"Logs", "Logs/Run.DLZ", "Logs/Run.dl"}));
    EXPECT_EQ(lastDone, lastTotal);

    // Bad .dlz files fail without leftovers or losing an existing .dl.
    fs::remove_all(dir / "Logs");
    const std::vector<uint8_t> good = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    WriteBytes(dir / "run.dl", good);
    fs::create_directory(dir / "folder.dlz");
    auto failsWith = [&](const std::string& name, const std::string& text) {
        std::string target;
        const std::string message = FailureText(ExpandDlzFile(dir / name, &target));
        EXPECT_FALSE(message.empty());
        EXPECT_NE(message.find(text), std::string::npos) << message;
        EXPECT_EQ(ReadBytes(dir / "run.dl"), good);
    };
    WriteBytes(dir / "run.dlz", {});
    failsWith("run.dlz", "does not hold a log");
    WriteBytes(dir / "run.dlz", Flipped({1, 2, 3, 4, 5, 6, 7, 0xFF}));  // ends in an escape
    failsWith("run.dlz", "");
    failsWith("missing.dlz", "No such file");
    failsWith("folder.dlz", "folder");
    EXPECT_EQ(dir.Names(true), (std::vector<std::string>{"folder.dlz", "run.dl", "run.dlz"}));
}

TEST(DlzCodec, AnExistingDifferentDlIsNeverReplaced) {
    TempFolder dir;
    SampleLogOptions o{.frames = 300};
    ASSERT_TRUE(WriteSampleDlz(dir / "run.dlz", o));
    const std::vector<uint8_t> log = GenerateV4Bytes(o);
    std::vector<uint8_t> longer = log;  // starts with the log's bytes, but is not the log
    longer.insert(longer.end(), {'m', 'o', 'r', 'e'});
    for (const std::vector<uint8_t>& other : {std::vector<uint8_t>{'e', 'd', 'i', 't'}, longer}) {
        SCOPED_TRACE(other.size());
        fs::remove(dir / "run-2.dl");
        WriteBytes(dir / "run.dl", other);
        std::string dl;
        // A different run.dl stays; the log goes to the next free name, which later opens reuse.
        ASSERT_TRUE(ExpandDlzFile(dir / "run.dlz", &dl));
        EXPECT_EQ(dl, dir / "run-2.dl");
        EXPECT_EQ(ReadBytes(dir / "run.dl"), other);
        EXPECT_EQ(ReadBytes(dl), log);
        ASSERT_TRUE(ExpandDlzFile(dir / "run.dlz", &dl));
        EXPECT_EQ(dl, dir / "run-2.dl");
    }
    // An identical run.dl is used as it is.
    WriteBytes(dir / "run.dl", log);
    std::string dl;
    ASSERT_TRUE(ExpandDlzFile(dir / "run.dlz", &dl));
    EXPECT_EQ(dl, dir / "run.dl");
    EXPECT_EQ(dir.Names(true), (std::vector<std::string>{"run-2.dl", "run.dl", "run.dlz"}));
}

TEST(DlzCodec, AnExpansionEndingInsideAWordGivesTheLog) {
    // Made by hand: the sample encoder's stream for the log, two bytes more, and escapes of
    // count 0, which expand to nothing, to fill the last word of the .dlz. The expansion is the
    // log and half a word, which the last flip drops.
    SampleLogOptions o{.frames = 50};
    const std::vector<uint8_t> log = GenerateV4Bytes(o);
    std::vector<uint8_t> stream = Flipped(EncodeDlz(log));
    stream.insert(stream.end(), {'x', 'y'});
    while (stream.size() % 4 != 0)
        stream.insert(stream.end(), {0xFF, 0, 0});
    TempFolder dir;
    WriteBytes(dir / "run.dlz", Flipped(stream));
    EXPECT_EQ(Decoded(Flipped(stream)), log);
    std::string dl;
    const Result expanded = ExpandDlzFile(dir / "run.dlz", &dl);
    ASSERT_TRUE(expanded) << FailureText(expanded);
    EXPECT_EQ(ReadBytes(dl), log);
}

#ifndef _WIN32
TEST(DlzCodec, ExpandedNamesComeFromTheGivenNameOnFatAndReadOnlyMediaToo) {
    TempFolder dir;
    SampleLogOptions o{.frames = 200};
    const std::vector<uint8_t> log = GenerateV4Bytes(o);
    fs::create_directory(dir / "other");
    WriteBytes(dir / "other/notes.txt", {'n'});
    fs::create_symlink("other/notes.txt", dir / "run.dl");
    fs::create_symlink("other/keys", dir / "pass.dl");  // dangling
    ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    int creates = 0;
    const struct {
        const char* name;
        std::function<bool(WriteStep)> fault;
        std::string expanded;
    } cases[] = {
        {"run.dlz", {}, dir / "run-2.dl"},
        {"pass.dlz", {}, dir / "pass-2.dl"},
        // FAT and exFAT: no hard links, no no-replace rename.
        {"fat.dlz", [](WriteStep s) { return s == WriteStep::NoReplaceRename; }, dir / "fat.dl"},
        // A folder that takes no new files: the user's cache folder.
        {"ro.dlz", [&](WriteStep s) { return s == WriteStep::Create && creates++ == 0; },
         dir / "cache/quillon/ro.dl"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteSampleDlz(dir / c.name, o));
        AtomicFile::SetFaultHook(c.fault);
        std::string dl;
        const Result r = ExpandDlzFile(dir / c.name, &dl);
        AtomicFile::SetFaultHook({});
        ASSERT_TRUE(r) << c.name << ": " << FailureText(r);
        EXPECT_EQ(dl, c.expanded);
        EXPECT_EQ(ReadBytes(dl), log) << c.name;
    }
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(ReadBytes(dir / "other/notes.txt"), std::vector<uint8_t>{'n'});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "other"), {}), 1);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"cache", "fat.dl", "fat.dlz", "other",
                                                     "pass-2.dl", "pass.dl", "pass.dlz", "ro.dlz",
                                                     "run-2.dl", "run.dl", "run.dlz"}));
}
#endif

TEST(DlzCodec, DataThatIsNoLogIsRefusedBeforeAnythingIsWritten) {
    TempFolder dir;
    std::vector<uint8_t> wrongMagic = GenerateV4Bytes(SampleLogOptions{.frames = 10});
    std::vector<uint8_t> oldVersion = wrongMagic;
    wrongMagic[0] ^= 1;
    oldVersion[8] = 3;
    for (const auto& data : {wrongMagic, oldVersion}) {
        WriteBytes(dir / "bad.dlz", EncodeDlz(data));
        std::string dl;
        const std::string error = FailureText(ExpandDlzFile(dir / "bad.dlz", &dl));
        EXPECT_NE(error.find("does not decode to a version 0.4 log"), std::string::npos) << error;
        EXPECT_EQ(dir.Names(true), std::vector<std::string>{"bad.dlz"});
    }
}

TEST(DlzCodec, ABombIsRefusedFromItsMeasuredSize) {
    // 300,000 escapes of 255 bytes: 900 KB that would decode to 76.5 million bytes.
    std::vector<uint8_t> stream;
    for (int i = 0; i < 300000; ++i)
        stream.insert(stream.end(), {0xFF, 0xFF, 0x00});
    const std::vector<uint8_t> dlz = Flipped(stream);
    std::vector<uint8_t> out;
    const Result refused = DecodeDlz(dlz.data(), dlz.size(), out, 16u << 20);
    EXPECT_EQ(refused.cause, Cause::DecodedTooLarge);
    EXPECT_EQ(out.capacity(), 0u);  // refused before any allocation of its size
    EXPECT_NE(FailureText(refused).find("72 MB"), std::string::npos) << FailureText(refused);
    EXPECT_TRUE(DecodeDlz(dlz.data(), dlz.size(), out, 100u << 20));
    EXPECT_EQ(out.size(), 76500000u);
}
