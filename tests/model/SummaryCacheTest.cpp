#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "model/DataLogFile.h"
#include "model/LogSummary.h"
#include "model/RangeStats.h"
#include "model/SummaryCache.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"
#include "support/TempFolder.h"
#include "PlatformSupport.h"

using namespace quillon;
using namespace quillon::test;
namespace sfs = std::filesystem;

namespace {

constexpr int kFrames = 2100;  // two coarse blocks and a partial one
constexpr int kSlot = 3;
constexpr size_t kMiddle = kFramesOffset + size_t(kFrames / 2) * kFrameSize + 8 * kSlot;

// Points the cache at a folder of the test's own for its lifetime, then turns it off as the test
// runner has it, so that no later test writes to the user's cache.
struct CacheFolder {
    explicit CacheFolder(const std::string& path) : path(path) {
        SetEnvironment("QUILLON_SUMMARY_CACHE", path.c_str());
    }
    ~CacheFolder() { SetEnvironment("QUILLON_SUMMARY_CACHE", "off"); }
    std::vector<sfs::path> Entries() const {
        std::vector<sfs::path> found;
        std::error_code ec;
        for (const auto& e : sfs::directory_iterator(path, ec))
            found.push_back(e.path());
        return found;
    }
    std::string path;
};

LogData Open(const std::string& path, bool cached, bool store) {
    LogData log;
    ReadOptions options;
    options.allColumns = false;
    options.cachedOpening = cached;
    options.cacheOpening = store;
    EXPECT_TRUE(ReadDataLog(path, log, {}, options).ok());
    return log;
}

float MaxOf(const std::string& path) {
    return Open(path, true, false).stats[kSlot].maximum;
}

void SetValueKeepingTime(const std::string& path, size_t at, float v) {
    const auto time = sfs::last_write_time(path);
    std::vector<uint8_t> bytes = ReadBytes(path);
    StoreF32(bytes.data() + at, v);
    {
        std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(std::streamoff(at));
        f.write(reinterpret_cast<const char*>(bytes.data() + at), 4);
    }
    sfs::last_write_time(path, time);
}

template <class T>
bool SameBytes(const T* a, const T* b, size_t n) {
    return std::memcmp(a, b, n * sizeof(T)) == 0;
}

void ExpectSameOpening(const LogData& want, const LogData& got) {
    const size_t length = size_t(want.frameCount) + 1;
    ASSERT_EQ(std::tuple(got.frameCount, got.values[0].size(), got.offsetMs.size()),
              std::tuple(want.frameCount, length, length));
    EXPECT_TRUE(SameBytes(want.values[0].data(), got.values[0].data(), length));
    EXPECT_TRUE(SameBytes(want.offsetMs.data(), got.offsetMs.data(), length));
    EXPECT_TRUE(SameBytes(want.status[0].data(), got.status[0].data(), length));
    EXPECT_TRUE(SameBytes(want.stats.data(), got.stats.data(), want.stats.size()));
    EXPECT_EQ(
        std::tuple(want.deviationPending, want.firstTimestamp, Bits(want.maxRpm),
                   Bits(want.maxMap)),
        std::tuple(got.deviationPending, got.firstTimestamp, Bits(got.maxRpm), Bits(got.maxMap)));
    const LogSummary *a = SummaryOf(want), *b = SummaryOf(got);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->LevelCount(), b->LevelCount());
    for (int l = 0; l < a->LevelCount(); ++l) {
        ASSERT_EQ(a->BlockFrames(l), b->BlockFrames(l));
        const size_t n = a->BlockCount(l) * kSlotCount;
        EXPECT_TRUE(SameBytes(a->Blocks(l, 0), b->Blocks(l, 0), n)) << l;
        EXPECT_TRUE(SameBytes(a->Gaps(l), b->Gaps(l), n)) << l;
    }
}

// MinGW's std::filesystem reads and sets file times in whole seconds: there a file's time cannot
// be put back exactly.
#ifdef _WIN32
#define SKIP_WHERE_FILE_TIMES_ARE_WHOLE_SECONDS() GTEST_SKIP() << "file times in whole seconds"
#else
#define SKIP_WHERE_FILE_TIMES_ARE_WHOLE_SECONDS() (void)0
#endif

/// Opens the log once, which stores its entry, then changes a middle frame with the file's time
/// put back: a change the key cannot see. Returns the channel's maximum before the change.
float StoreThenChangeUnseen(const std::string& path) {
    const float before = Open(path, false, true).stats[kSlot].maximum;
    SetValueKeepingTime(path, kMiddle, 1e6f);
    return before;
}

}  // namespace

TEST(SummaryCache, CachedOpeningGivesThePassFiguresBitForBit) {
    TempFolder dir;
    CacheFolder cache(dir / "cache");
    const std::string path = WriteBytes(dir / "run.dl", AwkwardLog(kFrames));
    LogData passed = Open(path, false, true);
    ASSERT_EQ(cache.Entries().size(), 1u);
    LogData cached = Open(path, true, false);
    ExpectSameOpening(passed, cached);
    // The later whole-log requests and the columns read from the file agree as well. A few
    // deviations asked for take one pass that does them all, and no whole column.
    ASSERT_TRUE(EnsureDeviations(passed).ok());
    ASSERT_TRUE(EnsureDeviations(cached, {kSlot}).ok());
    EXPECT_EQ(std::pair(cached.values[kSlot].size(), cached.deviationPending.none()),
              std::pair(size_t{0}, true));
    EXPECT_TRUE(SameBytes(passed.stats.data(), cached.stats.data(), passed.stats.size()));
    // Stored again, the entry keeps the deviations: the next opening needs no pass for them.
    StoreCachedOpening(dir / "cache", cached);
    LogData again = Open(path, true, false);
    EXPECT_TRUE(again.deviationPending.none());
    EXPECT_TRUE(SameBytes(passed.stats.data(), again.stats.data(), passed.stats.size()));
    ASSERT_TRUE(EnsureColumns(passed, {kSlot, 7}) && EnsureColumns(cached, {kSlot, 7}));
    EXPECT_TRUE(SameBytes(passed.values[7].data(), cached.values[7].data(), kFrames + 1u));
    // A log too short to gain from it is not cached.
    const std::string shortLog =
        WriteBytes(dir / "short.dl", GenerateV4Bytes(SampleLogOptions{.frames = 100}));
    Open(shortLog, false, true);
    EXPECT_EQ(cache.Entries().size(), 1u);
}

TEST(SummaryCache, IsUsedOnlyForTheExactFile) {
    SKIP_WHERE_FILE_TIMES_ARE_WHOLE_SECONDS();
    TempFolder dir;
    CacheFolder cache(dir / "cache");
    const std::string path = WriteBytes(dir / "run.dl", AwkwardLog(kFrames));
    // A change the key cannot see shows that the entry is what a cached opening reads.
    const float before = StoreThenChangeUnseen(path);
    EXPECT_EQ(MaxOf(path), before);
    // The file touched, rewritten at the same size, replaced, or changed at its end: the pass.
    const auto time = sfs::last_write_time(path);
    sfs::last_write_time(path, time + std::chrono::microseconds(1));  // Windows counts 100 ns
    EXPECT_EQ(MaxOf(path), 1e6f);
    sfs::last_write_time(path, time);
    ASSERT_EQ(MaxOf(path), before);
    const std::vector<uint8_t> changed = ReadBytes(path);
    WriteBytes(path, changed);
    EXPECT_EQ(MaxOf(path), 1e6f);
    sfs::last_write_time(path, time);
    ASSERT_EQ(MaxOf(path), before);
    WriteBytes(dir / "new.dl", changed);
    sfs::last_write_time(dir / "new.dl", time);
    sfs::rename(dir / "new.dl", path);
    EXPECT_EQ(MaxOf(path), 1e6f);
    // The same inode, size and time, a different last frame.
    const std::string other = WriteBytes(dir / "other.dl", AwkwardLog(kFrames));
    Open(other, false, true);
    SetValueKeepingTime(other, kMiddle, 1e6f);
    ASSERT_EQ(MaxOf(other), before);
    SetValueKeepingTime(other, kFramesOffset + size_t(kFrames - 1) * kFrameSize + 8 * 9, 7.0f);
    EXPECT_EQ(MaxOf(other), 1e6f);
}

TEST(SummaryCache, DamagedEntryIsIgnoredAndReplaced) {
    SKIP_WHERE_FILE_TIMES_ARE_WHOLE_SECONDS();
    TempFolder dir;
    CacheFolder cache(dir / "cache");
    const std::string path = WriteBytes(dir / "run.dl", AwkwardLog(kFrames));
    const float before = StoreThenChangeUnseen(path);
    ASSERT_EQ(cache.Entries().size(), 1u);
    const std::string entry = cache.Entries()[0].string();
    const std::vector<uint8_t> good = ReadBytes(entry);
    std::vector<uint8_t> flipped = good;
    flipped[flipped.size() / 2] ^= 0x10;
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    for (const std::vector<uint8_t>& damaged :
         {flipped, longer, std::vector<uint8_t>(good.begin(), good.end() - 9),
          std::vector<uint8_t>(good.begin(), good.begin() + 100)}) {
        WriteBytes(entry, damaged);
        EXPECT_EQ(MaxOf(path), 1e6f) << damaged.size();
    }
    WriteBytes(entry, good);
    ASSERT_EQ(MaxOf(path), before);
    // An opening that reads the frames writes its entry anew.
    WriteBytes(entry, flipped);
    Open(path, true, true);
    EXPECT_EQ(ReadBytes(entry).size(), good.size());
    EXPECT_NE(ReadBytes(entry), flipped);
    EXPECT_EQ(MaxOf(path), 1e6f);
}

TEST(SummaryCache, FolderKeepsTheNewestEntriesWithinItsLimit) {
    TempFolder dir;
    const std::string folder = dir / "cache";
    const std::string a = WriteBytes(dir / "a.dl", AwkwardLog(kFrames));
    const std::string b =
        WriteBytes(dir / "b.dl", GenerateV4Bytes(SampleLogOptions{.frames = kFrames}));
    StoreCachedOpening(folder, Open(a, false, false));
    const sfs::path first = sfs::directory_iterator(folder)->path();
    sfs::last_write_time(first, sfs::file_time_type::clock::now() - std::chrono::hours(1));
    StoreCachedOpening(folder, Open(b, false, false), sfs::file_size(first) + 100);
    LogData log, fromA = Open(a, false, false), fromB = Open(b, false, false);
    EXPECT_FALSE(LoadCachedOpening(folder, fromA.source.store, fromA.header, fromA.config, log));
    EXPECT_TRUE(LoadCachedOpening(folder, fromB.source.store, fromB.header, fromB.config, log));
}
