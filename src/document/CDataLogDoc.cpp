#include "document/CDataLogDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "settings/CPrefs.h"
#include "settings/GraphConfigurationFile.h"
#include "analysis/ChannelStatistics.h"
#include "model/DataLogFile.h"
#include "platform/FileSystem.h"
#include "model/FrameAtTime.h"
#include "model/LogColumns.h"
#include "model/LogFrames.h"
#include "model/LogStore.h"
#include "model/LogSummary.h"
#include "model/RangeStats.h"
#include "model/SummaryCache.h"
#include "model/ZeroTime.h"
#include "model/ComparisonLog.h"
#include "analysis/MathChannels.h"

namespace quillon {

namespace {
const char* const kNudgeUndoName = "Nudge";
}  // namespace

CDataLogDoc::CDataLogDoc(CPrefs& prefs, IPrompt& prompt)
    : m_prefs(prefs), m_prompt(prompt), m_config(DefaultGraphConfiguration()) {
    LoadGraphConfiguration(m_prefs.GetLastDataLogConfig());
}

CDataLogDoc::~CDataLogDoc() {
    StopDeviations();
}

void CDataLogDoc::AddView(IDataLogView* view) {
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void CDataLogDoc::RemoveView(IDataLogView* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CDataLogDoc::UpdateAllViews(IDataLogView* sender, DocumentChange change) {
    // A view may add or remove views while it is notified: walk a copy and skip removed ones.
    const std::vector<IDataLogView*> views = m_views;
    for (IDataLogView* view : views)
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(sender, change);
    NoteBrokenStore();
}

bool CDataLogDoc::OnNewDocument() {
    if (destroyModelessWindows) destroyModelessWindows();
    CloseComparison();
    ReleaseMainLog();
    return true;
}

void CDataLogDoc::ReleaseMainLog() {
    m_deviations[0].Stop();
    ClearLog(m_main);
    m_hasLog = false;
    m_pathName.clear();
    m_modified = false;
    m_undo.reset();
    m_cursorFrame = -1;
    m_cursorB.reset();
    m_selection.reset();
    AfterFrameSetChanged();
    UpdateAllViews(nullptr, DocumentChange::LogChanged);
}

void CDataLogDoc::ClearLog(LogData& log) {
    for (auto& column : log.values)
        column.Reset();
    for (auto& column : log.status)
        column.Reset();
    log.header = DataLogHeader{};
    log.config = EcuConfigBlock{};
    log.frameCount = 0;
    log.firstTimestamp = 0;
    log.stats = {};
    log.maxRpm = 0.0f;
    log.maxMap = 0.0f;
    log.offsetMs.Reset();
    log.deviationPending.reset();
    log.source = ColumnSource{};
    log.cache = ColumnCache{};
}

std::vector<int> CDataLogDoc::WantedSlots() const {
    std::vector<int> slots;
    for (const GraphViewEntry& e : m_config.views[m_currentView].entries)
        if (IsValidChannelNumber(e.channel)) slots.push_back(int(e.channel) - 1);
    for (int c : MathChannelInputs(m_config))
        slots.push_back(c - 1);
    return slots;
}

ReadOptions CDataLogDoc::LazyReadOptions(int frames) const {
    return OpeningOptions(frames, WantedSlots(), NeededSlots());
}

std::vector<int> CDataLogDoc::NeededSlots() const {
    std::vector<int> slots;
    for (const GraphViewEntry& e : m_config.views[m_currentView].entries)
        if (IsValidChannelNumber(e.channel) && e.filter != 0) slots.push_back(int(e.channel) - 1);
    for (int c : MathChannelInputs(m_config))
        slots.push_back(c - 1);
    return slots;
}

ReadOptions CDataLogDoc::OpeningOptions(int frames, std::vector<int> shown,
                                        const std::vector<int>& needed) {
    ReadOptions options;
    options.allColumns = false;
    options.cachedOpening = options.cacheOpening = true;
    if (frames < 2 * LogSummary::kCoarseBlock) {
        options.wantedSlots = std::move(shown);
        return options;
    }
    // The chart draws an unfiltered channel of a long log from the opening pass's summary, so
    // only the columns of smoothed channels and math channel inputs are needed. The other
    // columns on screen are made in a pass over the frames while they take little memory: the
    // standard deviations shown then need no second pass. Beyond that they would make the
    // memory grow with the log.
    constexpr uint64_t kPassColumnBytes = uint64_t(32) << 20;
    if ((uint64_t(frames) + 1) * sizeof(float) * shown.size() <= kPassColumnBytes)
        options.passSlots = std::move(shown);
    options.wantedSlots = needed;
    return options;
}

Result CDataLogDoc::OnOpenDocument(const std::string& path, const ProgressCallback& progress,
                                   const CancelCheck& cancelled) {
    PendingOpen pending = BeginOpen(path);
    Result read = ReadOpen(pending, progress, cancelled);
    return FinishOpen(pending, std::move(read));
}

PendingOpen CDataLogDoc::BeginOpen(const std::string& path) const {
    PendingOpen pending;
    pending.path = path;
    // The channels to read are taken here, on the document's thread; the read may run on
    // another.
    pending.shownSlots = WantedSlots();
    pending.neededSlots = NeededSlots();
    return pending;
}

Result CDataLogDoc::ReadOpen(PendingOpen& pending, const ProgressCallback& progress,
                             const CancelCheck& cancelled) {
    // One opening decides by the file's first bytes: a log is read in place, a compressed log
    // is expanded into a .dl beside it, which is read instead.
    DataLogReader& reader = pending.reader;
    Result result = reader.Open(pending.path);
    if (result.ok() && reader.Compressed())
        result = reader.Expand(progress);
    else if (!result.ok())
        pending.rejected =
            result.kind == ErrorKind::WrongMagic || result.kind == ErrorKind::WrongVersion;
    if (!result.ok()) {
        pending.notOpened = true;
        return result;
    }
    // The new log is read beside the previous one, which a cancelled read leaves as it was. The
    // previous log holds little besides its edits: its other columns are made from its file on
    // demand, within the column cache's budget.
    ReadOptions options =
        OpeningOptions(reader.FrameCount(), pending.shownSlots, pending.neededSlots);
    options.cancelled = cancelled;
    result = reader.ReadInto(*pending.log, progress, options);
    // A stop asked for after the last block still finds the previous log in place.
    if (result.ok() && cancelled && cancelled())
        result = Result::Failure(ErrorKind::Cancelled, Cause::None);
    return result;
}

Result CDataLogDoc::FinishOpen(PendingOpen& pending, Result result) {
    m_loadFailed = pending.rejected;
    if (pending.notOpened) {
        // The previous log stays loaded: nothing of it has been touched yet.
        if (destroyModelessWindows) destroyModelessWindows();
        return result.During(Operation::OpenLog);
    }
    if (result.kind == ErrorKind::Cancelled) return result.During(Operation::OpenLog);

    // The comparison is closed (with its save question) and the previous log goes.
    if (destroyModelessWindows) destroyModelessWindows();
    CloseComparison();
    m_deviations[0].Stop();
    ClearLog(m_main);
    m_hasLog = false;
    m_pathName.clear();
    m_modified = false;
    m_undo.reset();
    m_cursorFrame = -1;
    m_cursorB.reset();
    m_selection.reset();
    if (!result.ok()) {
        AfterFrameSetChanged();
        UpdateAllViews(nullptr, DocumentChange::LogChanged);
        return result.During(Operation::OpenLog);
    }
    m_main = std::move(*pending.log);
    pending.log.reset();
    m_hasLog = true;
    m_pathName = pending.reader.Path();
    RecomputeMathChannels();
    // The reading pass gave the file's figures; the math channels' come from their columns.
    ComputeLogStats(m_main, 0, m_main.frameCount, false, false);
    StartDeviations(false);
    AfterFrameSetChanged();
    UpdateAllViews(nullptr, DocumentChange::LogChanged);
    return Result::Success();
}

Result CDataLogDoc::OnSaveDocument(const std::string& path, const ProgressCallback& progress) {
    // Saving over the log's own file renews its store, which a pass beside it must not read.
    m_deviations[0].Stop();
    const auto restart = [this] { StartDeviations(false); };
    if (Result written = WriteDataLog(path, m_main, progress); !written) {
        restart();
        return written.During(Operation::SaveLog);
    }
    restart();
    m_pathName = path;
    m_modified = false;
    // Undoing now gives a log that differs from the file just written.
    if (m_undo && !m_undo->comparison) m_undo->wasModified = true;
    return Result::Success();
}

void CDataLogDoc::OnCloseDocument() {
    if (destroyModelessWindows) destroyModelessWindows();
    CloseComparison();
    SaveGraphConfiguration();
    ReleaseMainLog();
}

Result CDataLogDoc::SaveComparison() {
    if (!m_comparisonLoaded)
        return Result::Failure(ErrorKind::CannotWrite, Cause::None)
            .During(Operation::SaveComparison);
    m_deviations[1].Stop();
    Result result = SaveComparisonLog(m_comparisonPath, m_comparison);
    StartDeviations(true);
    if (result) m_comparisonEdited = false;
    if (result && m_undo && m_undo->comparison) m_undo->wasModified = true;
    return result;
}

void CDataLogDoc::CloseComparison() {
    if (!m_comparisonLoaded) return;
    if (m_comparisonEdited && Ask(kComparisonEditedCaption, kComparisonEditedQuestion)) {
        // A failed save must not pass unnoticed: the edits are lost with the columns below.
        if (const Result saved = SaveComparison(); !saved) m_prompt.ShowFailure(saved);
    }
    m_comparisonLoaded = false;
    m_cursorOnComparison = false;
    m_comparisonEdited = false;
    m_comparisonPath.clear();
    if (m_undo && m_undo->comparison) m_undo.reset();
    m_deviations[1].Stop();
    CloseComparisonLog(m_comparison);
    ClearLog(m_comparison);
    AfterFrameSetChanged();
    UpdateAllViews(nullptr, DocumentChange::LogChanged);
}

void CDataLogDoc::RecomputeMathChannels() {
    ComputeMathChannels(m_main, m_config);
    if (m_comparisonLoaded) ComputeMathChannels(m_comparison, m_config);
}

void CDataLogDoc::SetComparisonLoaded(bool loaded, const std::string& path) {
    m_comparisonLoaded = loaded;
    m_comparisonPath = loaded ? path : std::string();
    if (!loaded) m_comparisonEdited = false;
    UpdateDisplayLength();
}

void CDataLogDoc::UpdateDisplayLength() {
    m_displayLength = m_main.frameCount;
    if (m_comparisonLoaded) m_displayLength = std::max(m_displayLength, m_comparison.frameCount);
}

void CDataLogDoc::AfterFrameSetChanged() {
    UpdateDisplayLength();
    ResetZoomRange();
    if (m_cursorFrame >= m_displayLength) m_cursorFrame = -1;
}

int CDataLogDoc::FrameAtTime(float t) const {
    return NearestFrameAtTime(m_main, t);
}

int CDataLogDoc::ComparisonFrameAtTime(float t) const {
    return m_comparisonLoaded ? NearestFrameAtTime(m_comparison, t) : -1;
}

float CDataLogDoc::TimeOfFrame(int frame) const {
    if (frame < 0 || frame >= m_main.frameCount) return 0.0f;
    return m_main.values[0][static_cast<size_t>(frame)];
}

std::string CDataLogDoc::TimeOfDayText(uint64_t timestamp) {
    const uint64_t seconds = timestamp / 1000;
    char fraction[32];
    std::snprintf(fraction, sizeof fraction, "%.3f",
                  static_cast<double>(timestamp - seconds * 1000) / 1000.0);
    // The calendar time in UTC, without the local time zone: days since 1970 and the time of
    // day, which is all the hour:minute:second text needs.
    const uint64_t secondOfDay = seconds % 86400;
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02u:%02u:%02u", static_cast<unsigned>(secondOfDay / 3600),
                  static_cast<unsigned>(secondOfDay / 60 % 60),
                  static_cast<unsigned>(secondOfDay % 60));
    char text[64];
    std::snprintf(text, sizeof text, "%.8s%s", clock, fraction + 1);
    return text;
}

std::string CDataLogDoc::StartTimeText() const {
    return "Start Time: " + TimeOfDayText(m_main.firstTimestamp);
}

std::string CDataLogDoc::ComparisonStartTimeText() const {
    return "Comparison: " + TimeOfDayText(m_comparison.firstTimestamp);
}

void CDataLogDoc::ComputeMainStats(int first, int end) {
    if (!ComputeLogStats(m_main, first, end).ok()) NoteBrokenStore();
}

void CDataLogDoc::ComputeComparisonStats(int first, int end) {
    if (m_comparisonLoaded && !ComputeLogStats(m_comparison, first, end).ok()) NoteBrokenStore();
}

void CDataLogDoc::EnsureDeviations(int slot) {
    // The rows of a view ask one by one: the view's slots are done together, in one pass over
    // each file instead of one pass per row.
    std::vector<int> slots = WantedSlots();
    slots.push_back(slot);
    bool ok = true;
    if (!m_deviations[0].Active()) {
        const FileFigures* whole = m_main.source.figures.get();
        const bool wasPending = whole && whole->deviationPending.any();
        ok = ::quillon::EnsureDeviations(m_main, slots).ok();
        // The pass over the file gave every deviation: the summary cache keeps them for the next
        // opening of the unchanged file.
        if (ok && wasPending && !m_modified && whole->deviationPending.none())
            StoreCachedOpening(fs::SummaryCacheFolder(), m_main);
    }
    if (m_comparisonLoaded && !m_deviations[1].Active())
        ok = ::quillon::EnsureDeviations(m_comparison, slots).ok() && ok;
    if (!ok) NoteBrokenStore();
}

void CDataLogDoc::StartDeviations(bool comparison) {
    LogData& log = comparison ? m_comparison : m_main;
    BackgroundDeviations& pass = m_deviations[comparison ? 1 : 0];
    pass.Stop();
    if (!deviationsReady) return;
    // Only a pass over the file is worth a thread: deviations of columns in memory take no time.
    const std::vector<int> shown = WantedSlots();
    if (std::any_of(shown.begin(), shown.end(), [&](int s) {
            return s > 0 && s < kSlotCount && log.deviationPending[size_t(s)] &&
                   log.values[s].size() < size_t(log.statsEnd);
        }))
        pass.Start(log, deviationsReady);
}

void CDataLogDoc::TakeDeviations() {
    bool taken = false;
    for (const bool comparison : {false, true}) {
        BackgroundDeviations& pass = m_deviations[comparison ? 1 : 0];
        if (!pass.Active() || !pass.Finished()) continue;
        LogData& log = comparison ? m_comparison : m_main;
        const FileFigures* whole = log.source.figures.get();
        const bool wasPending = whole && whole->deviationPending.any();
        pass.Apply(log);
        taken = true;
        if (!comparison && wasPending && !m_modified && whole->deviationPending.none())
            StoreCachedOpening(fs::SummaryCacheFolder(), m_main);
    }
    // Figures the pass could not give (its file changed meanwhile) are asked for again when the
    // values are shown, and that pass reports the fault.
    if (taken) UpdateAllViews(nullptr, DocumentChange::StatisticsChanged);
}

void CDataLogDoc::StopDeviations() {
    for (BackgroundDeviations& pass : m_deviations)
        pass.Stop();
}

bool CDataLogDoc::ReportFailedSearch(const LogData& log) {
    // A file that changed or failed closes its log with its own message; otherwise memory ran
    // out for the column searched.
    if (IsBroken(log))
        NoteBrokenStore();
    else
        m_prompt.ShowFailure(Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryForLog,
                                             log.source.store ? log.source.store->Path() : "")
                                 .Figures(uint64_t(log.frameCount)));
    return false;
}

void CDataLogDoc::NoteBrokenStore() {
    if (IsBroken(m_main) || IsBroken(m_comparison))
        if (logFileChanged) logFileChanged();
}

bool CDataLogDoc::IsBroken(const LogData& log) {
    return log.source.store && log.source.store->Broken();
}

bool CDataLogDoc::CloseChangedLogs() {
    const bool main = IsBroken(m_main), comparison = m_comparisonLoaded && IsBroken(m_comparison);
    if (!main && !comparison) return false;
    const Result failure =
        main ? m_main.source.store->BrokenFailure() : m_comparison.source.store->BrokenFailure();
    // Nothing of a changed file can be saved any more: its edits go with it. A comparison whose
    // own file is whole keeps its save question when it closes with the main log.
    if (comparison) m_comparisonEdited = false;
    CloseComparison();
    if (main) {
        if (destroyModelessWindows) destroyModelessWindows();
        ReleaseMainLog();
    }
    m_prompt.ShowFailure(failure);
    return true;
}

std::optional<CDataLogDoc::CursorMark> CDataLogDoc::GetCursorB() const {
    if (!m_cursorB || m_cursorB->frame < 0) return std::nullopt;
    if (m_cursorB->onComparison && !m_comparisonLoaded) return std::nullopt;
    const LogData& log = m_cursorB->onComparison ? m_comparison : m_main;
    if (m_cursorB->frame >= log.frameCount || size_t(m_cursorB->frame) >= log.values[0].size())
        return std::nullopt;
    return m_cursorB;
}

void CDataLogDoc::SetCursor(int frame, int entry, bool onComparison) {
    m_cursorFrame = frame < 0 || frame >= m_displayLength ? -1 : frame;
    m_cursorEntry = entry;
    m_cursorOnComparison = onComparison;
}

void CDataLogDoc::SetSelection(FrameSelection selection, IDataLogView* sender) {
    if (selection.Empty()) {
        ClearSelection(sender);
        return;
    }
    m_selection = std::make_shared<const FrameSelection>(std::move(selection));
    UpdateAllViews(sender, DocumentChange::SelectionChanged);
}

void CDataLogDoc::ClearSelection(IDataLogView* sender) {
    if (!m_selection) return;
    m_selection.reset();
    UpdateAllViews(sender, DocumentChange::SelectionChanged);
}

bool CDataLogDoc::IsDifferenceShown(int channel) const {
    return channel >= 1 && channel <= kChannelCount && m_difference.test(size_t(channel - 1));
}

void CDataLogDoc::SetDifferenceShown(int channel, bool shown) {
    if (channel >= 1 && channel <= kChannelCount) m_difference.set(size_t(channel - 1), shown);
}

void CDataLogDoc::SetZoomRange(int first, int last) {
    m_zoomFirst = first;
    m_zoomLast = last;
}

void CDataLogDoc::ResetZoomRange() {
    m_zoomFirst = 0;
    m_zoomLast = m_main.frameCount - 1;
}

void CDataLogDoc::SetCurrentView(int view) {
    if (view >= 0 && view < kViewCount) m_currentView = view;
}

void CDataLogDoc::StepView(int direction) {
    const int step = direction < 0 ? -1 : 1;
    int view = m_currentView;
    // At most one full turn: view 0 always ends it.
    for (int i = 0; i < kViewCount; ++i) {
        view = (view + step + kViewCount) % kViewCount;
        if (view == 0) break;
        const auto& entries = m_config.views[view].entries;
        if (std::any_of(entries.begin(), entries.end(),
                        [](const GraphViewEntry& e) { return IsValidChannelNumber(e.channel); }))
            break;
    }
    m_currentView = view;
}

std::vector<int> CDataLogDoc::EntriesOrderedByPanel() const {
    std::vector<int> order;
    const auto& entries = m_config.views[m_currentView].entries;
    for (uint32_t panel = 0; panel < static_cast<uint32_t>(kPanelCount); ++panel)
        for (int e = 0; e < kViewEntryCount; ++e)
            if (entries[e].panel == panel) order.push_back(e);
    return order;
}

bool CDataLogDoc::Ask(const char* caption, const char* question) {
    return m_prompt.Question(caption, question) != PromptAnswer::No;
}

void CDataLogDoc::AfterTimeBaseChanged() {
    ResetZoomRange();
    UpdateAllViews(nullptr, DocumentChange::LogChanged);
}

bool CDataLogDoc::ZeroTimeAtCursor(const char* undoName) {
    std::optional<UndoState> before = Snapshot(undoName, false);
    const int k = m_cursorFrame;
    bool changed;
    if (m_comparisonLoaded && m_cursorOnComparison) {
        if (k < 0 || k >= m_comparison.frameCount) return false;
        changed = SetZeroTimeAtTime(m_main, m_comparison.values[0][static_cast<size_t>(k)]);
    } else {
        changed = SetZeroTimeAtFrame(m_main, k);
    }
    if (!changed) return false;
    KeepUndo(std::move(before));
    m_modified = true;
    AfterTimeBaseChanged();
    return true;
}

bool CDataLogDoc::OnSetZeroTime() {
    if (m_cursorFrame < 0 || !Ask(kSetZeroTimeCaption, kSetZeroTimeQuestion)) return false;
    return ZeroTimeAtCursor(kSetZeroTimeCaption);
}

bool CDataLogDoc::OnSetStartPoint() {
    if (m_cursorFrame < 0 || !Ask(kSetStartPointCaption, kSetStartPointQuestion)) return false;
    return Crop(true);
}

bool CDataLogDoc::OnSetEndPoint() {
    if (m_cursorFrame < 0 || !Ask(kSetEndPointCaption, kSetEndPointQuestion)) return false;
    return Crop(false);
}

bool CDataLogDoc::Crop(bool start) {
    const int other = m_comparisonLoaded ? m_comparison.frameCount : 0;
    std::optional<UndoState> before =
        Snapshot(start ? kSetStartPointCaption : kSetEndPointCaption, false);
    const bool changed = start ? SetStartPoint(m_main, m_cursorFrame, other)
                               : SetEndPoint(m_main, m_cursorFrame, other);
    if (!changed) return false;
    KeepUndo(std::move(before));
    m_cursorFrame = -1;
    m_cursorB.reset();
    m_selection.reset();
    m_cursorOnComparison = false;
    UpdateDisplayLength();
    ComputeLogStats(m_main, 0, m_main.frameCount, true, false);
    m_modified = true;
    AfterTimeBaseChanged();
    return true;
}

bool CDataLogDoc::AutoZero(int channel, uint32_t condition, float trigger) {
    const int frame = FindAutoZeroFrame(m_main, channel, condition, trigger);
    if (frame == kAutoZeroReadFailed) return ReportFailedSearch(m_main);
    if (frame < 0) {
        m_prompt.Message(kAutoZeroFailedCaption, kConditionNotFoundText);
        return false;
    }
    SetCursor(frame, m_cursorEntry, false);
    return ZeroTimeAtCursor("Auto Zero");
}

Result CDataLogDoc::LoadComparison(const std::string& path, const ProgressCallback& progress) {
    // A file that cannot be opened, or a compressed log that cannot be expanded, leaves the
    // current comparison in place; one that opened but is no log closes it first.
    DataLogReader reader;
    Result opened = reader.Open(path);
    const bool compressed = opened.ok() && reader.Compressed();
    if (compressed) opened = reader.Expand(progress);
    if (!opened.ok() &&
        (compressed || opened.cause == Cause::OpenFailed || opened.cause == Cause::NotRegular))
        return opened.During(Operation::OpenComparison);
    CloseComparison();
    if (!opened.ok()) return opened.During(Operation::OpenComparison);
    Result result = LoadComparisonLog(reader, m_main, m_comparison, progress,
                                      LazyReadOptions(reader.FrameCount()));
    if (!result) return result;
    // The main log's columns now have the comparison's length: an older state would not fit.
    m_undo.reset();
    m_comparisonLoaded = true;
    m_comparisonPath = reader.Path();
    m_comparisonEdited = false;
    UpdateDisplayLength();
    RecomputeMathChannels();
    ComputeLogStats(m_comparison, 0, m_comparison.frameCount, false, false);
    StartDeviations(true);
    AfterTimeBaseChanged();
    return Result::Success();
}

bool CDataLogDoc::ComparisonZeroTimeAtCursor(const char* undoName) {
    if (!m_comparisonLoaded) return false;
    std::optional<UndoState> before = Snapshot(undoName, true);
    if (!SetComparisonZeroTime(m_comparison, m_main, m_cursorFrame, m_cursorOnComparison))
        return false;
    KeepUndo(std::move(before));
    m_comparisonEdited = true;
    AfterTimeBaseChanged();
    return true;
}

bool CDataLogDoc::OnSetComparisonZeroTime() {
    if (!m_comparisonLoaded || m_cursorFrame < 0 ||
        !Ask(kSetComparisonZeroTimeCaption, kSetComparisonZeroTimeQuestion))
        return false;
    return ComparisonZeroTimeAtCursor(kSetComparisonZeroTimeCaption);
}

bool CDataLogDoc::ComparisonAutoZero(int channel, uint32_t condition, float trigger) {
    if (!m_comparisonLoaded) return false;
    const int frame = FindAutoZeroFrame(m_comparison, channel, condition, trigger);
    if (frame == kAutoZeroReadFailed) return ReportFailedSearch(m_comparison);
    if (frame < 0) {
        m_prompt.Message(kComparisonAutoZeroFailedCaption, kConditionNotFoundText);
        return false;
    }
    SetCursor(frame, m_cursorEntry, true);
    return ComparisonZeroTimeAtCursor("Comparison Auto Zero");
}

void CDataLogDoc::NudgeComparison(int n) {
    if (!m_comparisonLoaded) return;
    // A run of nudges is undone as one.
    if (!m_undo || m_undo->name != kNudgeUndoName) KeepUndo(Snapshot(kNudgeUndoName, true));
    ::quillon::NudgeComparison(m_comparison, n);
    m_comparisonEdited = true;
    UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
}

void CDataLogDoc::ShiftComparison(float seconds, const char* undoName) {
    if (!m_comparisonLoaded || !std::isfinite(seconds)) return;
    KeepUndo(Snapshot(undoName, true));
    ::quillon::ShiftComparison(m_comparison, seconds);
    m_comparisonEdited = true;
    UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
}

void CDataLogDoc::ApplyHeader(bool comparison, const DataLogHeader& header) {
    if (comparison && !m_comparisonLoaded) return;
    KeepUndo(Snapshot("Properties", comparison));
    (comparison ? m_comparison : m_main).header = header;
    if (comparison)
        m_comparisonEdited = true;
    else
        m_modified = true;
}

namespace {

// A copy of a column with storage of its own; false when memory runs out.
template <class T>
bool OwnCopy(Column<T>& column) {
    if (column.size() == 0) return true;
    Column<T> copy;
    if (!copy.Allocate(column.size())) return false;
    std::memcpy(copy.data(), column.data(), column.size() * sizeof(T));
    column = std::move(copy);
    return true;
}

}  // namespace

std::optional<CDataLogDoc::UndoState> CDataLogDoc::Snapshot(const char* name,
                                                            bool comparison) const {
    UndoState state;
    state.name = name;
    state.comparison = comparison;
    state.wasModified = comparison ? m_comparisonEdited : m_modified;
    state.log = comparison ? m_comparison : m_main;
    LogData& log = state.log;
    // The columns of the file's slots are made again from the file's frames that the log's
    // source names; only the columns made here need copies.
    for (int s = 0; s < kSlotCount; ++s) {
        if (IsFileSlot(log, s)) {
            log.values[s].Reset();
            log.status[s].Reset();
        } else if (!OwnCopy(log.values[s]) || !OwnCopy(log.status[s])) {
            return std::nullopt;
        }
    }
    if (!OwnCopy(log.offsetMs)) return std::nullopt;
    return state;
}

void CDataLogDoc::KeepUndo(std::optional<UndoState> state) {
    // Without memory for the copy the change goes ahead, but cannot be undone.
    m_undo = std::move(state);
}

const std::string& CDataLogDoc::UndoName() const {
    static const std::string none;
    return m_undo ? m_undo->name : none;
}

bool CDataLogDoc::Undo() {
    if (!m_undo) return false;
    UndoState state = std::move(*m_undo);
    m_undo.reset();
    if (state.comparison && !m_comparisonLoaded) return false;
    LogData& log = state.comparison ? m_comparison : m_main;
    log = std::move(state.log);
    if (state.comparison)
        m_comparisonEdited = state.wasModified;
    else
        m_modified = state.wasModified;
    // Math channels and statistics follow the current definitions over the whole log, as after
    // a crop.
    ComputeMathChannels(log, m_config);
    ComputeLogStats(log, 0, log.frameCount, true, false);
    UpdateDisplayLength();
    if (!state.comparison) {
        m_cursorB.reset();
        m_selection.reset();
        if (m_cursorFrame >= m_main.frameCount && !m_cursorOnComparison) m_cursorFrame = -1;
    }
    AfterFrameSetChanged();
    UpdateAllViews(nullptr, DocumentChange::LogChanged);
    return true;
}

bool CDataLogDoc::LoadGraphConfiguration(const std::string& path) {
    if (!ReadGraphConfigurationFile(path, m_config).ok()) return false;
    const GraphConfigurationBytes bytes = SerializeGraphConfiguration(m_config);
    m_graphFilePath = path;
    m_graphFileBytes.assign(bytes.begin(), bytes.end());
    return true;
}

bool CDataLogDoc::SaveGraphConfiguration() {
    const std::string path = m_prefs.GetLastDataLogConfig();
    const GraphConfigurationBytes bytes = SerializeGraphConfiguration(m_config);
    if (path == m_graphFilePath &&
        std::equal(bytes.begin(), bytes.end(), m_graphFileBytes.begin(), m_graphFileBytes.end()))
        return true;
    // Every .graph file this program writes has the configuration's size; any other file under
    // that name is someone else's.
    std::error_code error;
    const auto size = std::filesystem::file_size(fs::PathOf(path), error);
    if (!error && size != GraphConfiguration::kFileSize) {
        if (m_refusedGraphPath != path)
            m_prompt.ShowFailure(Result::Failure(ErrorKind::CannotWrite, Cause::NotAGraphFile, path)
                                     .During(Operation::WriteGraph));
        m_refusedGraphPath = path;
        return false;
    }
    if (!WriteGraphConfigurationFile(path, m_config).ok()) return false;
    m_graphFilePath = path;
    m_graphFileBytes.assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace quillon
