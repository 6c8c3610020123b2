#pragma once
/// The channel slots of the eight views while the graph setup dialog edits them, with the drag
/// and drop rules of its lists: which drops are allowed with which effect, and how a drop shifts
/// the slots of a view. No widget in it, so every rule is tested as a table.

#include <array>
#include <cstdint>
#include <functional>

#include "model/GraphConfiguration.h"

namespace quillon {

class GraphSetupModel {
public:
    /// The source of a drag that started in the channel list, or outside every view list.
    static constexpr int kNoView = -1;
    enum class Effect { None, Copy, Move };

    /// Takes the channel numbers of every slot; a number outside 1 to 440 is an empty slot.
    void Fill(const GraphConfiguration& config);
    /// Writes the channel numbers back; the other fields of every entry stay with their slot.
    void TakeInto(GraphConfiguration& config) const;

    uint32_t Channel(int view, int slot) const;
    /// Whether the channel stands in any slot of any view (the channel list's marker).
    bool IsPlaced(uint32_t channel) const;
    bool Contains(int view, uint32_t channel) const;
    bool HasEmptySlot(int view) const;

    /// A drag starts in view list `view` (kNoView: the channel list) from `slot`.
    void BeginDrag(int view, int slot);
    /// The drag ended with `effect`: a move out of a view list empties its source slot. True
    /// when a slot changed.
    bool EndDrag(Effect effect);
    int DragView() const { return m_dragView; }
    int DragSlot() const { return m_dragSlot; }

    /// What a drop of `channel` on slot `slot` of view `view` would do (slot -1: below the
    /// items). Reordering inside the view the drag started from is a copy onto any slot; from
    /// anywhere else it is a move onto an empty slot of a view that lacks the channel.
    Effect DragOver(int view, int slot, uint32_t channel) const;
    /// Why DragOver refuses a drop, in words for the user; null when it allows it.
    const char* RefusalReason(int view, int slot, uint32_t channel) const;
    /// Carries out an allowed drop; false (nothing changed) when DragOver refuses it.
    bool Drop(int view, int slot, uint32_t channel);

    void Clear(int view, int slot);
    void ClearAll();
    /// Every channel that `available` admits, in channel order, into the slots of view 0, then
    /// view 1, and so on until all views are full; every other slot empty.
    void AutoFill(const std::function<bool(int channel)>& available);

private:
    static bool ValidSlot(int view, int slot);

    std::array<std::array<uint32_t, kViewEntryCount>, kViewCount> m_slots{};
    int m_dragView = kNoView;
    int m_dragSlot = -1;
};

}  // namespace quillon
