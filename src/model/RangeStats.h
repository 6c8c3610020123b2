#pragma once
/// Statistics of a log over a frame range: the columns in memory from memory, the file's slots
/// by passes over the file, and the standard deviations that the opening pass leaves pending.

#include <array>
#include <atomic>
#include <bitset>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "model/ChannelStats.h"
#include "model/LogData.h"
#include "platform/Result.h"

namespace quillon {

/// Statistics of every slot over frames [first, end), cut to the log's frames: owned columns from
/// memory, the file's slots by passes over the file (all of them with `fileSlots`; otherwise
/// their records stay as they are). Standard deviations of the file's slots only with
/// `deviations` (else left pending). Slopes of every slot are recomputed. Sums are double in
/// frame order (see StatsKernel.h). Over every frame of a file as it was opened, the file's slots
/// take the opening pass's figures (bit for bit what a pass would give) instead of a pass.
Result ComputeLogStats(LogData& log, int first, int end, bool fileSlots = true,
                       bool deviations = true);
/// The same figures into `out`, leaving the log as it is; the slots whose deviation was left
/// pending are set in `pending` when given.
Result StatsOfRange(const LogData& log, int first, int end, bool fileSlots, bool deviations,
                    std::array<ChannelStats, kSlotCount>& out,
                    std::bitset<kSlotCount>* pending = nullptr);
/// After the log's times moved (a zero time, a nudge) over the frames its figures cover: slot 0's
/// figures over the same frames again and every slope. False when the times had not moved.
bool RetimeStats(LogData& log);
/// Computes the pending standard deviations of the given slots (all slots when empty).
Result EnsureDeviations(LogData& log, const std::vector<int>& wanted = {});

struct SlotSquares;

/// The pending standard deviations of a log's figures, worked out on a thread of their own: for a
/// log too large to keep its shown columns they take a second pass over the file, which the rest
/// of the window need not wait for. The log is read through its store alone and is changed only
/// by Apply, on the log's own thread.
class BackgroundDeviations {
public:
    BackgroundDeviations();
    ~BackgroundDeviations();
    BackgroundDeviations(const BackgroundDeviations&) = delete;
    BackgroundDeviations& operator=(const BackgroundDeviations&) = delete;

    /// Starts the pass for every pending slot of the file over the log's figures' frames; `done`
    /// is called on the pass's thread when it has read them all (not when stopped). False when
    /// nothing is pending or no thread can be made.
    bool Start(const LogData& log, std::function<void()> done);
    /// A pass was started and has been neither applied nor stopped.
    bool Active() const { return m_thread.joinable(); }
    /// The pass has ended (read every frame, or failed).
    bool Finished() const { return m_finished.load(); }
    /// Stops a pass and waits for it; its figures are dropped.
    void Stop();
    /// Waits for the pass, then puts its deviations into `log` for the slots whose figures are
    /// still the ones it started from. False when none were put (stopped, failed, or the log's
    /// figures changed meanwhile).
    bool Apply(LogData& log);

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::shared_ptr<LogStore> m_store;
    int m_offset = 0;  // the file frame of the log's frame 0
    int m_first = 0;
    int m_end = 0;
    std::bitset<kSlotCount> m_slots;
    std::unique_ptr<SlotSquares> m_squares;
    bool m_read = false;
};

}  // namespace quillon
