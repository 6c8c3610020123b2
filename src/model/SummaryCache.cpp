#include "model/SummaryCache.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <type_traits>
#include <vector>

#include "model/ColumnCache.h"
#include "model/LogOpening.h"
#include "model/LogStore.h"
#include "model/LogSummary.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

namespace quillon {

namespace {

// Entries hold numbers as the machine keeps them; the magic read back on a machine of the other
// byte order does not match, so such an entry is never used.
constexpr uint32_t kMagic = 0x4D555351;  // "QSUM"
constexpr uint32_t kVersion = 1;
constexpr char kExtension[] = ".qsum";

// Running check of an entry's bytes: any change of a single piece changes it, since each step is
// a bijection of the state for a given word.
uint64_t HashBytes(const void* data, size_t n, uint64_t h) {
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    const auto* p = static_cast<const uint8_t*>(data);
    for (; n >= 8; n -= 8, p += 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        h = std::rotl((h ^ w) * kMultiplier, 31);
    }
    uint64_t w = 0;
    std::memcpy(&w, p, n);
    return std::rotl((h ^ w ^ (uint64_t(n) << 56)) * kMultiplier, 31);
}

struct Key {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t inode = 0;
    uint64_t content = 0;
    bool operator==(const Key&) const = default;
};

// The file's identity and a hash of its header, configuration block, first and last frames and
// partial trailing frame, as stored: what a rewrite that keeps the size and the time would most
// likely change. The header goes to `start`. Nothing when the file cannot be read.
std::optional<Key> KeyOf(LogStore& store, DataLogHeader& start) {
    Key key;
    key.size = store.Identity().size;
    key.modifiedNs = store.Identity().modifiedNs;
    key.inode = store.Identity().inode;
    std::vector<uint8_t> head(kFramesOffset);
    if (!store.ReadStart(head.data(), head.size())) return std::nullopt;
    std::memcpy(start.bytes.data(), head.data(), start.bytes.size());
    uint64_t h = HashBytes(head.data(), head.size(), 0);
    const int frames = store.FrameCount();
    const int ends = LogStore::kBlockFrames;
    const auto add = [&h](const uint8_t* p, int, int n) {
        h = HashBytes(p, size_t(n) * kFrameSize, h);
        return true;
    };
    if (!store.Pass(0, std::min(ends, frames), add).ok() ||
        !store.Pass(std::max(0, frames - ends), frames, add).ok())
        return std::nullopt;
    key.content = HashBytes(store.TailFrame(), store.TailSize(), h);
    return key;
}

std::string EntryPath(const std::string& folder, const Key& key) {
    char name[40];
    std::snprintf(name, sizeof name, "%016llx%s",
                  static_cast<unsigned long long>(HashBytes(&key, sizeof key, kVersion)),
                  kExtension);
    return folder + "/" + name;
}

// The fixed part of an entry, before the summary levels and the offsets.
struct Head {
    uint32_t magic = kMagic;
    uint32_t version = kVersion;
    Key key;
    int32_t frames = 0;
    int32_t levels = 0;
    int32_t blockFrames[2] = {};
    uint64_t firstTimestamp = 0;
    float maxRpm = 0;
    float maxMap = 0;
    float spareTime = 0;
    uint32_t reserved = 0;
    int64_t spareOffset = 0;
    std::array<ChannelStats, kSlotCount> stats{};
    // Slots whose standard deviation is still to be computed, a bit each.
    uint8_t pending[(kSlotCount + 63) / 64 * 8] = {};
};
static_assert(sizeof(ChannelStats) == 36);
// No padding: every byte of it is written and checked.
static_assert(sizeof(Head) == 88 + sizeof(ChannelStats) * kSlotCount + 56);
static_assert(std::is_trivially_copyable_v<Head>);

// A level's block size as the opening pass makes them.
bool ValidLevels(const Head& head) {
    if (head.levels < 1 || head.levels > 2) return false;
    if (head.blockFrames[head.levels - 1] != LogSummary::kCoarseBlock) return false;
    if (head.levels == 1) return true;
    for (int b = LogSummary::kFinestBlock; b < LogSummary::kCoarseBlock;
         b *= LogSummary::kLevelFactor)
        if (head.blockFrames[0] == b) return true;
    return false;
}

float TimeOf(int64_t ms, double zeroTime) {
    return float(double(ms) / 1000.0 - zeroTime);
}

class EntryReader {
public:
    explicit EntryReader(fs::Handle h) : m_h(h) {}
    bool Read(void* data, size_t n) {
        size_t got = 0;
        if (!m_ok || !fs::ReadFully(m_h, data, n, got) || got != n) return m_ok = false;
        m_hash = HashBytes(data, n, m_hash);
        return true;
    }
    // The stored check matches and nothing follows it.
    bool Finish() {
        uint64_t stored = 0;
        const uint64_t hash = m_hash;
        uint8_t extra = 0;
        size_t got = 0;
        return Read(&stored, sizeof stored) && stored == hash &&
               fs::ReadFully(m_h, &extra, 1, got) && got == 0;
    }

private:
    fs::Handle m_h;
    uint64_t m_hash = 0;
    bool m_ok = true;
};

class EntryWriter {
public:
    explicit EntryWriter(AtomicFile& file) : m_file(file) {}
    bool Write(const void* data, size_t n) {
        m_hash = HashBytes(data, n, m_hash);
        return m_file.Write(data, n);
    }
    bool Finish() {
        const uint64_t hash = m_hash;
        return Write(&hash, sizeof hash) && m_file.Commit();
    }

private:
    AtomicFile& m_file;
    uint64_t m_hash = 0;
};

bool ReadEntry(fs::Handle h, const Key& key, const DataLogHeader& header, LogStore& store,
               LogData& log, std::shared_ptr<LogSummary>& summary) {
    EntryReader in(h);
    auto head = std::make_unique<Head>();
    const int frames = store.FrameCount();
    if (!in.Read(head.get(), sizeof(Head)) || head->magic != kMagic || head->version != kVersion ||
        !(head->key == key) || head->frames != frames || !ValidLevels(*head))
        return false;
    const size_t length = size_t(frames) + 1;
    summary = std::make_shared<LogSummary>();
    if (!summary->Restore(frames, head->blockFrames, head->levels) ||
        !log.values[0].Allocate(length) || !log.status[0].Allocate(length) ||
        !log.offsetMs.Allocate(length))
        return false;
    for (int l = 0; l < head->levels; ++l) {
        const size_t n = summary->BlockCount(l) * kSlotCount;
        if (!in.Read(summary->MutableBlocks(l), n * sizeof(SummaryBlock)) ||
            !in.Read(summary->MutableGaps(l), n))
            return false;
    }
    if (!in.Read(log.offsetMs.data(), size_t(frames) * sizeof(int64_t)) || !in.Finish())
        return false;

    const double zeroTime = double(header.Get(DataLogHeader::zeroTime));
    float* time = log.values[0].data();
    const int64_t* offsets = log.offsetMs.data();
    for (int i = 0; i < frames; ++i)
        time[i] = TimeOf(offsets[i], zeroTime);
    time[frames] = head->spareTime;
    log.offsetMs[size_t(frames)] = head->spareOffset;
    std::fill(log.status[0].begin(), log.status[0].end(), 0u);
    log.firstTimestamp = head->firstTimestamp;
    log.maxRpm = head->maxRpm;
    log.maxMap = head->maxMap;
    log.stats = head->stats;
    for (int s = 1; s < kSlotCount; ++s)
        log.deviationPending[size_t(s)] = (head->pending[s / 8] >> (s % 8)) & 1;
    return true;
}

// Removes the oldest entries while the folder's entries take more than `limit` bytes, never
// `keep`.
void TrimFolder(const std::string& folder, const std::string& keep, uint64_t limit) {
    struct Entry {
        std::filesystem::file_time_type time;
        uint64_t size;
        std::filesystem::path path;
    };
    std::vector<Entry> entries;
    uint64_t total = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(fs::PathOf(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::filesystem::path& path = it->path();
        if (path.extension() != kExtension || !it->is_regular_file(ec)) continue;
        Entry e{it->last_write_time(ec), it->file_size(ec), path};
        if (ec) continue;
        total += e.size;
        if (fs::Utf8Of(path) != keep) entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.time < b.time; });
    for (const Entry& e : entries) {
        if (total <= limit) break;
        if (std::filesystem::remove(e.path, ec)) total -= e.size;
    }
}

}  // namespace

bool LoadCachedOpening(const std::string& folder, const std::shared_ptr<LogStore>& store,
                       const DataLogHeader& header, const EcuConfigBlock& config, LogData& log) {
    if (folder.empty() || std::endian::native != std::endian::little || !store ||
        store->FrameCount() < kSummaryCacheMinFrames)
        return false;
    DataLogHeader start;
    const std::optional<Key> key = KeyOf(*store, start);
    if (!key || start.bytes != header.bytes) return false;
    const fs::FileHandle file = fs::OpenRegularForReading(EntryPath(folder, *key));
    if (!file) return false;
    ResetLog(log);
    std::shared_ptr<LogSummary> summary;
    if (!ReadEntry(file.Get(), *key, header, *store, log, summary)) {
        ResetLog(log);
        return false;
    }
    const int frames = store->FrameCount();
    log.header = header;
    log.config = config;
    log.frameCount = frames;
    ColumnSource& src = log.source;
    src.store = store;
    src.length = size_t(frames) + 1;
    src.owned.set(0);
    src.summary = std::move(summary);
    log.cache.SetBudget(DefaultColumnBudget(kFramesOffset + uint64_t(frames) * kFrameSize));
    log.statsFirst = 0;
    log.statsEnd = frames;
    auto figures = std::make_shared<FileFigures>();
    figures->stats = log.stats;
    figures->deviationPending = log.deviationPending;
    figures->frames = frames;
    src.figures = std::move(figures);
    return true;
}

void StoreCachedOpening(const std::string& folder, const LogData& log, uint64_t limit) {
    const LogSummary* summary = SummaryOf(log);
    const std::shared_ptr<LogStore>& store = log.source.store;
    const int frames = log.frameCount;
    const size_t length = size_t(frames) + 1;
    if (folder.empty() || std::endian::native != std::endian::little || !summary || !store ||
        store->Broken() || frames < kSummaryCacheMinFrames || summary->LevelCount() > 2 ||
        log.values[0].size() < length || log.offsetMs.size() < length)
        return;
    DataLogHeader start;
    const std::optional<Key> key = KeyOf(*store, start);
    if (!key) return;
    // The times are kept as the offsets they are computed from; a log whose times are not those
    // exactly is not cached.
    const double zeroTime = double(start.Get(DataLogHeader::zeroTime));
    const float* time = log.values[0].data();
    const int64_t* offsets = log.offsetMs.data();
    for (int i = 0; i < frames; ++i) {
        const float t = TimeOf(offsets[i], zeroTime);
        if (std::bit_cast<uint32_t>(t) != std::bit_cast<uint32_t>(time[i])) return;
    }

    auto head = std::make_unique<Head>();
    head->key = *key;
    head->frames = frames;
    head->levels = summary->LevelCount();
    for (int l = 0; l < head->levels; ++l)
        head->blockFrames[l] = summary->BlockFrames(l);
    head->firstTimestamp = log.firstTimestamp;
    head->maxRpm = log.maxRpm;
    head->maxMap = log.maxMap;
    head->spareTime = time[frames];
    head->spareOffset = offsets[frames];
    // The whole file's figures, with the standard deviations computed since the opening pass.
    const FileFigures* figures = log.source.figures.get();
    if (!figures || figures->frames != frames) return;
    head->stats = figures->stats;
    for (int s = 0; s < kSlotCount; ++s)
        if (figures->deviationPending[size_t(s)]) head->pending[s / 8] |= uint8_t(1u << (s % 8));
    if (!ValidLevels(*head)) return;

    std::error_code ec;
    std::filesystem::create_directories(fs::PathOf(folder), ec);
    const std::string path = EntryPath(folder, *key);
    AtomicFile file(path);
    if (!file.Open()) return;
    EntryWriter out(file);
    bool ok = out.Write(head.get(), sizeof(Head));
    for (int l = 0; ok && l < head->levels; ++l) {
        const size_t n = summary->BlockCount(l) * kSlotCount;
        ok = out.Write(summary->Blocks(l, 0), n * sizeof(SummaryBlock)) &&
             out.Write(summary->Gaps(l), n);
    }
    ok = ok && out.Write(offsets, size_t(frames) * sizeof(int64_t)) && out.Finish();
    if (ok) TrimFolder(folder, file.Target(), limit);
}

}  // namespace quillon
