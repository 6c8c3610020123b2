#pragma once
/// Progress reports of long operations (loading, export, conversion).

#include <cstdint>
#include <functional>

namespace quillon {

/// Called with the work done so far and the total, in the operation's own units.
using ProgressCallback = std::function<void(int64_t done, int64_t total)>;

/// Asked between steps of work the user may stop: true once they asked to stop it.
using CancelCheck = std::function<bool()>;

}  // namespace quillon
