#pragma once
/// The single document: the main log and the optional comparison log as per-slot columns, their
/// statistics, the cursor and zoom range shared by the views, and the current graph configuration.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/DifferenceChannel.h"
#include "analysis/FrameSelection.h"
#include "model/GraphConfiguration.h"
#include "model/DataLogFile.h"
#include "document/DataLogViewObserver.h"
#include "model/LogData.h"
#include "model/RangeStats.h"
#include "platform/Progress.h"
#include "document/Prompt.h"
#include "platform/Result.h"

namespace quillon {

class CPrefs;

/// A log being opened: read beside the document before it replaces the document's main log.
struct PendingOpen {
    std::string path;
    /// The channels on screen, and those whose columns a long log needs at once (smoothed
    /// channels and math channel inputs).
    std::vector<int> shownSlots;
    std::vector<int> neededSlots;
    DataLogReader reader;
    std::unique_ptr<LogData> log = std::make_unique<LogData>();
    /// The file could not be opened or expanded: nothing was read and the previous log stays.
    bool notOpened = false;
    /// The file was refused for its magic or version.
    bool rejected = false;
};

class CDataLogDoc {
public:
    /// Sets the default graph configuration, then loads the last used .graph file over it.
    CDataLogDoc(CPrefs& prefs, IPrompt& prompt);
    virtual ~CDataLogDoc();
    CDataLogDoc(const CDataLogDoc&) = delete;
    CDataLogDoc& operator=(const CDataLogDoc&) = delete;

    void AddView(IDataLogView* view);
    void RemoveView(IDataLogView* view);
    /// Notifies every registered view except the sender.
    void UpdateAllViews(IDataLogView* sender, DocumentChange change);

    /// Called before a log is opened and when the document closes: the GUI closes the modeless
    /// windows (properties sheets, scatter plot) that belong to the document.
    std::function<void()> destroyModelessWindows;
    /// Called when a log's file turned out truncated or rewritten by another program while open
    /// (from inside whatever read it): the GUI then calls CloseChangedLogs once control is back
    /// in its event loop.
    std::function<void()> logFileChanged;
    /// Set by the GUI to have the standard deviations of a long log worked out beside the window
    /// (they take a second pass over its file): called on another thread once they are read; the
    /// GUI then calls TakeDeviations on the document's thread. Without it they are worked out
    /// when first shown.
    std::function<void()> deviationsReady;
    /// Puts the deviations read beside the window into the logs and sends StatisticsChanged.
    void TakeDeviations();
    /// Stops the passes of deviationsReady and waits for them (before its target goes).
    void StopDeviations();
    /// A pass of deviationsReady has not been taken yet.
    bool DeviationsComing() const { return m_deviations[0].Active() || m_deviations[1].Active(); }
    /// Closes a log whose file changed under it, with a message; false when none did.
    bool CloseChangedLogs();
    /// Reports a log whose file changed (see logFileChanged); nothing otherwise.
    void NoteBrokenStore();

    /// Empties the document (modeless windows, comparison with its save question, main log,
    /// path, modified flag, cursor) and sends LogChanged; the graph configuration stays.
    bool OnNewDocument();
    /// Opens a .dl or .dlz log as the main log (a .dlz is expanded into a .dl beside it, which
    /// becomes the document's path). Once the new log is read, the comparison is closed (with
    /// its save question) and the previous log freed. A file rejected for its magic or version,
    /// and a read stopped through `cancelled` (Cancelled), leave the previous log as it was. A
    /// failure carries the message box for the caller to show (for another version, the
    /// question whether to convert).
    Result OnOpenDocument(const std::string& path, const ProgressCallback& progress = {},
                          const CancelCheck& cancelled = {});
    /// OnOpenDocument in three steps, so that the reading can run away from the thread that
    /// owns the document: BeginOpen takes what the reading needs from the document, ReadOpen
    /// reads the new log into the PendingOpen alone (it touches no document, so it may run on
    /// any thread) and FinishOpen, given what the reading returned, puts the log in place.
    PendingOpen BeginOpen(const std::string& path) const;
    static Result ReadOpen(PendingOpen& pending, const ProgressCallback& progress = {},
                           const CancelCheck& cancelled = {});
    Result FinishOpen(PendingOpen& pending, Result result);
    /// Writes the main log atomically; clears the modified flag on success. On failure the old
    /// file stays whole.
    Result OnSaveDocument(const std::string& path, const ProgressCallback& progress = {});
    /// Closes the modeless windows and the comparison log, writes the current graph
    /// configuration and empties the document.
    void OnCloseDocument();

    const std::string& GetPathName() const { return m_pathName; }
    void SetPathName(const std::string& path) { m_pathName = path; }
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    /// Set when the last open was rejected for its magic or version.
    bool LoadFailed() const { return m_loadFailed; }

    /// A log with frames (or at least a header) is loaded.
    bool HasLog() const { return m_hasLog; }
    LogData& Main() { return m_main; }
    const LogData& Main() const { return m_main; }
    LogData& Comparison() { return m_comparison; }
    const LogData& Comparison() const { return m_comparison; }

    bool IsComparisonLoaded() const { return m_comparisonLoaded; }
    /// Marks the comparison log as loaded (its path) or unloaded, and recomputes the display
    /// length; the comparison operations call it after filling or emptying Comparison().
    void SetComparisonLoaded(bool loaded, const std::string& path = {});
    const std::string& GetComparisonPathName() const { return m_comparisonPath; }
    /// Writes the comparison log to its own path (atomically); clears its edited flag.
    Result SaveComparison();
    /// Asks to save an edited comparison, then frees it; LogChanged. Nothing without a comparison.
    void CloseComparison();
    bool IsComparisonEdited() const { return m_comparisonEdited; }
    void SetComparisonEdited(bool edited = true) { m_comparisonEdited = edited; }

    /// Main frame count N.
    int GetFrameCount() const { return m_main.frameCount; }
    /// The number of frames both logs' columns are sized for: max(main N, comparison N).
    int GetDisplayLength() const { return m_displayLength; }
    /// Recomputes the display length after the frame counts changed.
    void UpdateDisplayLength();

    /// The frame nearest to time t (a tie goes to the earlier frame); -1 without frames.
    int FrameAtTime(float t) const;
    /// The same on the comparison log; -1 when no comparison is loaded.
    int ComparisonFrameAtTime(float t) const;
    /// Time in seconds of a main frame; 0 outside the log.
    float TimeOfFrame(int frame) const;

    /// "Start Time: 14:03:22.125" and "Comparison: 14:03:22.125" (UTC).
    std::string StartTimeText() const;
    std::string ComparisonStartTimeText() const;
    /// The time of day of a millisecond timestamp, UTC: "14:03:22.125".
    static std::string TimeOfDayText(uint64_t timestamp);

    /// Recomputes the ten math channels of the main log and of a loaded comparison from the
    /// current configuration (after the setup dialogs change the definitions).
    void RecomputeMathChannels();
    /// Statistics of one log over frames [first, end), the range cut to the log's frames
    /// ("Update Stats" gives each log its own range).
    void ComputeMainStats(int first, int end);
    void ComputeComparisonStats(int first, int end);
    /// Computes a slot's standard deviations in both logs where they are still pending, except
    /// in a log whose deviations are being worked out beside the window.
    void EnsureDeviations(int slot);

    /// Cursor: frame -1 = none (also for frames outside the display length); entry = the view
    /// entry 0..15 it belongs to; onComparison when it was set on the comparison log.
    int GetCursorFrame() const { return m_cursorFrame; }
    int GetCursorEntry() const { return m_cursorEntry; }
    bool IsCursorOnComparison() const { return m_cursorOnComparison; }
    void SetCursor(int frame, int entry, bool onComparison);
    /// The second cursor (B), which measures against the cursor: a frame of the main or the
    /// comparison log. It is none when unset and when its frame no longer lies in its log.
    struct CursorMark {
        int frame = -1;
        bool onComparison = false;
    };
    std::optional<CursorMark> GetCursorB() const;
    void SetCursorB(std::optional<CursorMark> b) { m_cursorB = b; }

    /// The frames of the main log picked as a box in the scatter plot, which the chart shades
    /// and the table window may keep to; null when none are. Emptied whenever the main log's
    /// frames change (a log opened, cropped, undone or closed), with that change's LogChanged.
    std::shared_ptr<const FrameSelection> GetSelection() const { return m_selection; }
    bool HasSelection() const { return m_selection != nullptr; }
    /// Replaces the selection (an empty one clears it) and sends SelectionChanged to every view
    /// but the sender.
    void SetSelection(FrameSelection selection, IDataLogView* sender);
    /// Clears the selection and sends SelectionChanged; nothing when there is none.
    void ClearSelection(IDataLogView* sender);

    /// The channels whose difference (main minus comparison) the chart draws and the values pane
    /// figures: a choice of the display, not part of the .graph file. It stays while no
    /// comparison is loaded, when nothing is drawn.
    const ChannelSet& DifferenceChannels() const { return m_difference; }
    bool IsDifferenceShown(int channel) const;
    void SetDifferenceShown(int channel, bool shown);

    /// Visible window of the chart, main-log frame indices.
    int GetZoomFirst() const { return m_zoomFirst; }
    int GetZoomLast() const { return m_zoomLast; }
    void SetZoomRange(int first, int last);
    /// 0 .. N - 1 (0 .. -1 without frames).
    void ResetZoomRange();

    GraphConfiguration& Config() { return m_config; }
    const GraphConfiguration& Config() const { return m_config; }
    int GetCurrentView() const { return m_currentView; }
    /// Selects view 0..7; other values are ignored.
    void SetCurrentView(int view);
    /// Steps by +1 or -1 with wrap-around, skipping views without any channel (view 0 is always
    /// accepted).
    void StepView(int direction);
    /// Entry positions of the current view: panel 0's in entry order, then panels 1 to 4.
    std::vector<int> EntriesOrderedByPanel() const;

    /// Tools commands on the main log. The On... commands ask their Yes/No question first (any
    /// answer but No goes ahead) and do nothing without a cursor. Each sets the modified flag,
    /// resets the zoom range and sends LogChanged; cropping also clears the cursor and recomputes
    /// the statistics. True when the log changed.
    bool OnSetZeroTime();
    bool OnSetStartPoint();
    bool OnSetEndPoint();
    /// Zero time at the first frame whose channel value is below (condition 0) or above
    /// (condition 1) the trigger; the cursor moves there. "Auto Zero Failed" when none is.
    bool AutoZero(int channel, uint32_t condition, float trigger);

    /// Comparison commands. LoadComparison expands a .dlz beside it, closes the current
    /// comparison (with its save question), reads the log, pads both logs to the common display
    /// length, computes math channels and statistics and sends LogChanged; failures are returned
    /// for the caller to show and leave no comparison loaded.
    Result LoadComparison(const std::string& path, const ProgressCallback& progress = {});
    /// Asks "Set Comparison Zero Time" first; nothing without a cursor or comparison.
    bool OnSetComparisonZeroTime();
    bool ComparisonAutoZero(int channel, uint32_t condition, float trigger);
    /// Shifts the comparison by n x 0.1 s; marks it edited and sends ShownDataChanged.
    void NudgeComparison(int n);
    /// Shifts the comparison by `seconds` as the nudges do (a found alignment, a run lined up
    /// with another); undone on its own, as `undoName`. Nothing without a comparison.
    void ShiftComparison(float seconds, const char* undoName);

    /// Replaces a log's header (the properties sheet's OK): the main log becomes modified, the
    /// comparison edited; the edit can be undone.
    void ApplyHeader(bool comparison, const DataLogHeader& header);

    /// One level of undo for the changes to a log's frames, times and header (zero time, start
    /// and end points, auto zero, nudges, properties). Consecutive nudges undo together.
    bool CanUndo() const { return m_undo.has_value(); }
    /// The name of the change Undo takes back ("Set Start Point"); "" when there is none.
    const std::string& UndoName() const;
    /// Puts the log back as it was before the last change (its frames, times, header and its
    /// modified or edited flag) and sends LogChanged; false when there is nothing to undo.
    bool Undo();

    /// Reads a .graph file over the current configuration (a shorter file fills the blocks as
    /// far as it reaches); false when it cannot be opened.
    bool LoadGraphConfiguration(const std::string& path);
    /// Writes the current configuration to the last used .graph file (atomically), only when it
    /// differs from what that file was read or written with. A file there that does not read as
    /// a graph configuration (not 10218 bytes) is left alone and the user told once.
    bool SaveGraphConfiguration();

    CPrefs& Prefs() { return m_prefs; }
    IPrompt& Prompt() { return m_prompt; }

private:
    static void ClearLog(LogData& log);
    static bool IsBroken(const LogData& log);
    /// Reports a zero-time search whose column could not be read; false.
    bool ReportFailedSearch(const LogData& log);
    /// The slots whose columns are made while a log is read: the current view's channels and
    /// the math channels' inputs.
    std::vector<int> WantedSlots() const;
    /// How a log of `frames` frames is read: with the columns its first picture needs, through
    /// the summary cache.
    ReadOptions LazyReadOptions(int frames) const;
    std::vector<int> NeededSlots() const;
    /// What the read of a log of `frames` frames makes at once: the shown channels' columns
    /// while they are small, the needed ones always.
    static ReadOptions OpeningOptions(int frames, std::vector<int> shown,
                                      const std::vector<int>& needed);
    /// Starts the pass of deviationsReady over a log whose shown deviations need one.
    void StartDeviations(bool comparison);
    bool Ask(const char* caption, const char* question);
    void AfterTimeBaseChanged();
    bool ZeroTimeAtCursor(const char* undoName);
    bool Crop(bool start);
    bool ComparisonZeroTimeAtCursor(const char* undoName);
    void AfterFrameSetChanged();
    /// Empties the main log: no path, no cursor, not modified; views rebuilt.
    void ReleaseMainLog();

    /// A log as it was before a change: its owned columns copied, its file columns left to be
    /// made again from the file (the file is read in place and never changes under it).
    struct UndoState {
        std::string name;
        bool comparison = false;
        bool wasModified = false;  // the main log's modified flag or the comparison's edited flag
        LogData log;
    };
    std::optional<UndoState> Snapshot(const char* name, bool comparison) const;
    void KeepUndo(std::optional<UndoState> state);

    CPrefs& m_prefs;
    IPrompt& m_prompt;
    std::vector<IDataLogView*> m_views;

    int m_currentView = 0;
    int m_cursorFrame = -1;
    int m_cursorEntry = 0;
    bool m_cursorOnComparison = false;
    std::optional<CursorMark> m_cursorB;
    std::shared_ptr<const FrameSelection> m_selection;
    ChannelSet m_difference;
    int m_displayLength = 0;
    bool m_comparisonLoaded = false;

    LogData m_main;
    bool m_hasLog = false;
    LogData m_comparison;
    std::string m_comparisonPath;
    bool m_comparisonEdited = false;

    int m_zoomFirst = 0;
    int m_zoomLast = -1;
    bool m_loadFailed = false;
    bool m_modified = false;
    std::string m_pathName;
    std::optional<UndoState> m_undo;

    // The deviations of the main log and of the comparison worked out beside the window.
    std::array<BackgroundDeviations, 2> m_deviations;

    GraphConfiguration m_config;
    // The .graph file as last read or written, and one the user was told is no graph file.
    std::string m_graphFilePath;
    std::vector<uint8_t> m_graphFileBytes;
    std::string m_refusedGraphPath;
};

}  // namespace quillon
