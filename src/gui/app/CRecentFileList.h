#pragma once
/// The recent-file list of 4 entries, newest first, and the folder of the last opened log, kept
/// in the user's settings.

#include <memory>

#include <QSettings>
#include <QStringList>

namespace quillon {

class CRecentFileList {
public:
    static constexpr int kSize = 4;

    /// The user's settings under "Brenmor Quillon", or an INI file at settingsFile when given.
    explicit CRecentFileList(const QString& settingsFile = {});

    QStringList Files() const { return m_files; }
    /// Puts the path first (once), drops the oldest beyond 4 and stores the list.
    void Add(const QString& path);
    void Remove(const QString& path);
    /// The folder the last log was opened from, where the open prompt starts; empty at first.
    QString LastOpenFolder() const;
    void SetLastOpenFolder(const QString& folder);
    /// A disabled list keeps its entries but neither adds nor removes any.
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }
    /// The settings store the list lives in; the main window keeps its own state there too.
    QSettings& Settings() const { return *m_settings; }

private:
    void Store();

    std::unique_ptr<QSettings> m_settings;
    QStringList m_files;
    bool m_enabled = true;
};

}  // namespace quillon
