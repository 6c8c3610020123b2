#include "gui/dialogs/GraphSetupModel.h"

#include "settings/GraphConfigurationFile.h"

namespace quillon {

bool GraphSetupModel::ValidSlot(int view, int slot) {
    return view >= 0 && view < kViewCount && slot >= 0 && slot < kViewEntryCount;
}

void GraphSetupModel::Fill(const GraphConfiguration& config) {
    for (int v = 0; v < kViewCount; ++v)
        for (int k = 0; k < kViewEntryCount; ++k) {
            const uint32_t c = config.views[size_t(v)].entries[size_t(k)].channel;
            m_slots[size_t(v)][size_t(k)] = IsValidChannelNumber(c) ? c : 0;
        }
}

void GraphSetupModel::TakeInto(GraphConfiguration& config) const {
    for (int v = 0; v < kViewCount; ++v)
        for (int k = 0; k < kViewEntryCount; ++k)
            config.views[size_t(v)].entries[size_t(k)].channel = m_slots[size_t(v)][size_t(k)];
}

uint32_t GraphSetupModel::Channel(int view, int slot) const {
    return ValidSlot(view, slot) ? m_slots[size_t(view)][size_t(slot)] : 0;
}

bool GraphSetupModel::IsPlaced(uint32_t channel) const {
    for (int v = 0; v < kViewCount; ++v)
        if (Contains(v, channel)) return true;
    return false;
}

bool GraphSetupModel::Contains(int view, uint32_t channel) const {
    if (channel == 0 || view < 0 || view >= kViewCount) return false;
    for (uint32_t c : m_slots[size_t(view)])
        if (c == channel) return true;
    return false;
}

bool GraphSetupModel::HasEmptySlot(int view) const {
    if (view < 0 || view >= kViewCount) return false;
    for (uint32_t c : m_slots[size_t(view)])
        if (c == 0) return true;
    return false;
}

void GraphSetupModel::BeginDrag(int view, int slot) {
    m_dragView = ValidSlot(view, slot) ? view : kNoView;
    m_dragSlot = m_dragView == kNoView ? -1 : slot;
}

bool GraphSetupModel::EndDrag(Effect effect) {
    const bool emptied = effect == Effect::Move && m_dragView != kNoView;
    if (emptied) m_slots[size_t(m_dragView)][size_t(m_dragSlot)] = 0;
    m_dragView = kNoView;
    m_dragSlot = -1;
    return emptied;
}

GraphSetupModel::Effect GraphSetupModel::DragOver(int view, int slot, uint32_t channel) const {
    if (!ValidSlot(view, slot) || !IsValidChannelNumber(channel)) return Effect::None;
    if (view == m_dragView) return Effect::Copy;
    if (!HasEmptySlot(view) || m_slots[size_t(view)][size_t(slot)] != 0 || Contains(view, channel))
        return Effect::None;
    return Effect::Move;
}

const char* GraphSetupModel::RefusalReason(int view, int slot, uint32_t channel) const {
    if (DragOver(view, slot, channel) != Effect::None) return nullptr;
    if (view < 0 || view >= kViewCount || !IsValidChannelNumber(channel)) return "";
    if (!HasEmptySlot(view))
        return "This view is full: take an entry out first (Delete, or drag it to the channel "
               "list).";
    if (Contains(view, channel)) return "This view already shows that channel.";
    return "Drop the channel on an empty entry.";
}

bool GraphSetupModel::Drop(int view, int slot, uint32_t channel) {
    if (DragOver(view, slot, channel) == Effect::None) return false;
    auto& s = m_slots[size_t(view)];
    if (view == m_dragView) {
        const int from = m_dragSlot;
        s[size_t(from)] = 0;
        if (s[size_t(slot)] != 0) {
            // The emptied source slot guarantees a gap between the target and the source.
            if (slot < from) {
                int e = slot + 1;
                while (s[size_t(e)] != 0)
                    ++e;
                for (int k = e; k > slot; --k)
                    s[size_t(k)] = s[size_t(k - 1)];
            } else {
                int e = slot - 1;
                while (s[size_t(e)] != 0)
                    --e;
                for (int k = e; k < slot; ++k)
                    s[size_t(k)] = s[size_t(k) + 1];
            }
        }
    }
    s[size_t(slot)] = channel;
    return true;
}

void GraphSetupModel::Clear(int view, int slot) {
    if (ValidSlot(view, slot)) m_slots[size_t(view)][size_t(slot)] = 0;
}

void GraphSetupModel::ClearAll() {
    for (auto& view : m_slots)
        view.fill(0);
}

void GraphSetupModel::AutoFill(const std::function<bool(int channel)>& available) {
    ClearAll();
    int next = 0;
    for (int c = 1; c <= 440 && next < kViewCount * kViewEntryCount; ++c)
        if (available(c)) {
            m_slots[size_t(next / kViewEntryCount)][size_t(next % kViewEntryCount)] = uint32_t(c);
            ++next;
        }
}

}  // namespace quillon
