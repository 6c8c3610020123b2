// Fuzz target for the V4 reader and writer. The first byte chooses how the input becomes a file:
// odd - a valid magic and version, then header, configuration block and frames made of the rest
// of the input repeated (zero time from the input), so that small inputs reach the frame
// scatter with real header and configuration bytes; even - the rest of the input is the file as
// it is. Every accepted file is read through the memory reader, written back and read again
// (the naming of channels from a configuration block has a target of its own). One input in
// eight, by its first byte, is also read through the file reader from an in-memory file and
// must give the same columns: a file and its column cache per input would hold the whole target
// to a few hundred inputs a second.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "FuzzBytes.h"
#include "model/ChannelInfo.h"
#include "model/ColumnCache.h"
#include "format/DlzCodec.h"
#include "model/DataLogFile.h"

using namespace quillon;

namespace {

std::vector<uint8_t> MakeFile(const uint8_t* data, size_t size) {
    if (size == 0 || (data[0] & 1) == 0)
        return std::vector<uint8_t>(data + (size ? 1 : 0), data + size);
    uint8_t head[8] = {};
    std::memcpy(head, data, std::min<size_t>(size, 8));
    const size_t frames = head[1] % 8;
    const size_t tail = (head[2] | size_t(head[3]) << 8) % kFrameSize;
    std::vector<uint8_t> file(kFramesOffset + frames * kFrameSize + tail, 0);
    StoreU32(file.data(), DataLogHeader::kMagic);
    StoreU32(file.data() + 8, 4);
    if (size > 8) FillRepeated(file.data() + 12, file.size() - 12, data + 8, size - 8);
    std::memcpy(file.data() + DataLogHeader::zeroTime.offset, head + 4, 4);
    return file;
}

bool SameColumns(const LogData& a, const LogData& b, size_t elements) {
    for (int s = 0; s < kSlotCount; ++s) {
        if (std::memcmp(a.values[s].data(), b.values[s].data(), elements * 4) != 0) return false;
        if (std::memcmp(a.status[s].data(), b.status[s].data(), elements * 4) != 0) return false;
    }
    return true;
}

/// Reads the bytes through the file reader, from an in-memory file.
Result ReadThroughFile(const std::vector<uint8_t>& bytes, LogData& log) {
    int fd = ::memfd_create("quillon-fuzz", 0);
    if (fd < 0) return Result::Failure(ErrorKind::Cancelled, Cause::None);
    if (!bytes.empty() && ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
        ::close(fd);
        return Result::Failure(ErrorKind::Unreadable, Cause::WriteFailed);
    }
    // As the viewer reads: the columns are made from the file when they are asked for.
    ReadOptions options;
    options.allColumns = false;
    Result r = ReadDataLog("/proc/self/fd/" + std::to_string(fd), log, {}, options);
    ::close(fd);
    if (r.ok()) {
        std::vector<int> slots(kSlotCount);
        for (int s = 0; s < kSlotCount; ++s)
            slots[size_t(s)] = s;
        log.cache.SetBudget(SIZE_MAX);
        if (!EnsureColumns(log, slots, true))
            return Result::Failure(ErrorKind::Unreadable, Cause::ReadFailed);
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> file = MakeFile(data, size);
    LogData log;
    Result r = ReadDataLogBytes(file.data(), file.size(), log);
    // Made only for the inputs read through a file (a log holds 880 columns to set up).
    std::optional<LogData> fromFile;
    const bool throughFile = size > 0 && (data[0] & 0x0e) == 0;
    Result rf = throughFile ? ReadThroughFile(file, fromFile.emplace()) : r;
    // The file reader decodes bytes that start as a compressed log; the bytes reader does not.
    const bool compressed = !r.ok() && IsDlzStart(file.data(), file.size());
    if (rf.kind != r.kind && rf.kind != ErrorKind::Cancelled && !compressed) std::abort();
    if (!r.ok()) {
        if (r.cause == Cause::None || !log.Empty()) std::abort();
        return 0;
    }
    const size_t frames = size_t(log.frameCount);
    if (frames != (file.size() - kFramesOffset) / kFrameSize) std::abort();
    if (log.values[0].size() != frames + 1) std::abort();
    if (throughFile && rf.ok() &&
        (fromFile->frameCount != log.frameCount || !SameColumns(log, *fromFile, frames + 1)))
        std::abort();

    // Written back: header and configuration block unchanged, whole frames only, and every
    // value and status (Diag statuses already zeroed) as the columns hold them.
    std::vector<uint8_t> written = DataLogBytes(log);
    if (written.size() != kFramesOffset + frames * kFrameSize) std::abort();
    if (std::memcmp(written.data(), file.data(), kFramesOffset) != 0) std::abort();
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t* frame = written.data() + kFramesOffset + f * kFrameSize;
        for (int s = 1; s < kSlotCount; ++s)
            if (std::memcmp(frame + 8 * s, &log.values[s][f], 4) != 0 ||
                std::memcmp(frame + 8 * s + 4, &log.status[s][f], 4) != 0)
                std::abort();
    }
    return 0;
}
