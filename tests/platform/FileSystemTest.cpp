#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "texts/FailureText.h"
#include "model/DataLogFile.h"
#include "format/DlzCodec.h"
#include "platform/FileSystem.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

// A scratch folder whose name has letters outside ASCII, so that every case also checks that
// UTF-8 paths reach the system intact.
struct TempFolder {
    std::string path = fs::Utf8Of(std::filesystem::temp_directory_path()) + "/quillon-fs-" +
                       std::to_string(::getpid()) + "-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                       "-L\xC3\xA4ufe";
    TempFolder() {
        std::filesystem::remove_all(fs::PathOf(path));
        std::filesystem::create_directories(fs::PathOf(path));
    }
    ~TempFolder() { std::filesystem::remove_all(fs::PathOf(path)); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const std::string& name : fs::FolderEntries(path))
            if (name != "." && name != "..") names.push_back(name);
        std::sort(names.begin(), names.end());
        return names;
    }
};

std::string ReadText(const std::string& path) {
    std::ifstream in(fs::PathOf(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bare rename, as the writer uses it, and its refusal to replace when asked not to.
TEST(FileSystem, RenamesReplaceOnlyWhenAsked) {
    TempFolder dir;
    ASSERT_TRUE(WriteFileAtomically(dir / "a", "A"));
    ASSERT_TRUE(WriteFileAtomically(dir / "b", "B"));
    bool exists = false;
    EXPECT_FALSE(fs::RenameNoReplace(dir / "a", dir / "b", exists));
    EXPECT_TRUE(exists);
    EXPECT_TRUE(fs::RenameReplace(dir / "a", dir / "b"));
    EXPECT_EQ(ReadText(dir / "b"), "A");
    EXPECT_EQ(fs::KindOf(dir / "a"), fs::PathKind::Missing);
}

TEST(FileSystem, NonAsciiPathsOpenAndSave) {
    TempFolder dir;
    const std::string log = dir /
                            "\xC3\x9C"
                            "berf\xC3\xBChrung.dl";  // Überführung.dl
    SampleLogOptions o{.frames = 50};
    ASSERT_TRUE(WriteSampleLog(log, o));
    EXPECT_EQ(fs::KindOf(log), fs::PathKind::Regular);
    EXPECT_EQ(fs::FileNameOf(log),
              "\xC3\x9C"
              "berf\xC3\xBChrung.dl");
    EXPECT_TRUE(fs::SameFile(log, dir.path + "/./" + fs::FileNameOf(log)));

    LogData data;
    ASSERT_TRUE(ReadDataLog(log, data).ok());
    EXPECT_EQ(data.frameCount, 50);
    const std::string saved = dir / "gespeichert-\xC3\xA9t\xC3\xA9.dl";
    ASSERT_TRUE(WriteDataLog(saved, data));
    EXPECT_EQ(ReadText(saved), ReadText(log));

    ASSERT_TRUE(WriteSampleDlz(dir / "K\xC3\xB6ln.dlz", o));
    std::string dl;
    const Result expanded = ExpandDlzFile(dir / "K\xC3\xB6ln.dlz", &dl);
    ASSERT_TRUE(expanded) << FailureText(expanded);
    EXPECT_EQ(ReadText(dl), ReadText(log));
    std::FILE* stream = fs::OpenStream(dl, "rb");
    ASSERT_NE(stream, nullptr);
    std::fclose(stream);
}

TEST(FileSystem, AFileHeldOpenElsewhereIsReplacedOrLeftWhole) {
    // POSIX systems replace a file that is open; Windows refuses while any handle is open on it
    // (this program's reader or another program's), and the save must then fail with the old
    // file whole and no temporary left. The holder reads what it opened either way.
#ifdef _WIN32
    const bool replaces = false;
#else
    const bool replaces = true;
#endif
    TempFolder dir;
    const std::string target = dir / "run.dl";
    for (bool ours : {true, false}) {
        ASSERT_TRUE(WriteFileAtomically(target, "old"));
        fs::FileHandle reader;
        std::ifstream other;
        if (ours)
            reader = fs::OpenRegularForReading(target);
        else
            other.open(fs::PathOf(target), std::ios::binary);
        EXPECT_TRUE(reader || other.is_open());

        const Result written = WriteFileAtomically(target, "new");
        const bool saved = written.ok();
        const std::string error = FailureText(written);
        EXPECT_EQ(saved, replaces) << ours << " " << error;
        if (!saved) {
            EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
        }
        std::string held;
        if (ours) {
            char bytes[8] = {};
            size_t got = 0;
            EXPECT_TRUE(fs::ReadFully(reader.Get(), bytes, sizeof bytes, got));
            held.assign(bytes, got);
            reader.Reset();
        } else {
            held.assign(std::istreambuf_iterator<char>(other), {});
            other.close();
        }
        EXPECT_EQ(held, "old");
        EXPECT_EQ(ReadText(target), replaces ? "new" : "old");
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"run.dl"});
    }
}

}  // namespace
