#include "format/DataLogStart.h"

#include <climits>

#include "format/ByteRecord.h"
#include "format/DataLogFrame.h"
#include "format/DataLogHeader.h"

namespace quillon {

Result CheckDataLogStart(const uint8_t* data, size_t size, uint64_t fileSize,
                         const std::string& name) {
    auto tooShort = [&] {
        return Result::Failure(ErrorKind::Unreadable, Cause::TooShort, name)
            .Figures(fileSize, kFramesOffset);
    };
    if (size < 4) return tooShort();
    if (LoadU32(data) != DataLogHeader::kMagic)
        return Result::Failure(ErrorKind::WrongMagic, Cause::BadMagic, name);
    if (size < 12) return tooShort();
    if (LoadU32(data + 4) != 0 || LoadU32(data + 8) != 4)
        return Result::Failure(ErrorKind::WrongVersion, Cause::BadVersion, name);
    if (fileSize < kFramesOffset) return tooShort();
    if ((fileSize - kFramesOffset) / kFrameSize >= uint64_t(INT32_MAX))
        return Result::Failure(ErrorKind::Unreadable, Cause::TooManyFrames, name);
    return {};
}

}  // namespace quillon
