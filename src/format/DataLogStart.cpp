#include "format/DataLogStart.h"

#include <climits>

#include "format/ByteRecord.h"
#include "format/DataLogFrame.h"
#include "format/DataLogHeader.h"
#include "platform/UserTexts.h"

namespace quillon {

namespace {

Result Unreadable(std::string message) {
    return Result::Failure(ErrorKind::Unreadable, std::move(message));
}

}  // namespace

Result CheckDataLogStart(const uint8_t* data, size_t size, uint64_t fileSize,
                         const std::string& name) {
    auto tooShort = [&] {
        return Unreadable("'" + name + "' is too short to be a log file (" +
                          std::to_string(fileSize) + " bytes; a log has at least " +
                          std::to_string(kFramesOffset) + ")");
    };
    if (size < 4) return tooShort();
    if (LoadU32(data) != DataLogHeader::kMagic)
        return Result::Failure(ErrorKind::WrongMagic, kMagicMismatchText);
    if (size < 12) return tooShort();
    if (LoadU32(data + 4) != 0 || LoadU32(data + 8) != 4)
        return Result::Failure(ErrorKind::WrongVersion, kVersionUnrecognizedText, {},
                               kVersionUnrecognizedCaption);
    if (fileSize < kFramesOffset) return tooShort();
    if ((fileSize - kFramesOffset) / kFrameSize >= uint64_t(INT32_MAX))
        return Unreadable("'" + name + "' has too many frames to be loaded");
    return {};
}

}  // namespace quillon
