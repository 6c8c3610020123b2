#pragma once
/// The MIME type under which a dragged channel number (u32) travels between channel lists.

namespace quillon {

inline constexpr char kChannelMimeType[] = "application/x-cchannel";

}  // namespace quillon
