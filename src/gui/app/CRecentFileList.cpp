#include "gui/app/CRecentFileList.h"

#include <QFileInfo>

namespace quillon {

namespace {

const QString kSection = QStringLiteral("Recent File List");
const QString kLastOpenFolderKey = QStringLiteral("Settings/LastOpenFolder");

QString KeyOf(int i) {
    return kSection + QStringLiteral("/File%1").arg(i + 1);
}

bool SamePath(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

CRecentFileList::CRecentFileList(const QString& settingsFile) {
    if (settingsFile.isEmpty())
        m_settings = std::make_unique<QSettings>(QStringLiteral("Brenmor Quillon"),
                                                 QStringLiteral("Quillon Log Viewer"));
    else
        m_settings = std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    for (int i = 0; i < kSize; ++i) {
        const QString path = m_settings->value(KeyOf(i)).toString();
        if (!path.isEmpty() && !m_files.contains(path)) m_files.append(path);
    }
}

void CRecentFileList::Add(const QString& path) {
    if (path.isEmpty() || !m_enabled) return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_files.removeIf([&](const QString& f) { return SamePath(f, absolute); });
    m_files.prepend(absolute);
    while (m_files.size() > kSize)
        m_files.removeLast();
    Store();
}

void CRecentFileList::Remove(const QString& path) {
    if (!m_enabled) return;
    m_files.removeIf([&](const QString& f) { return SamePath(f, path); });
    Store();
}

QString CRecentFileList::LastOpenFolder() const {
    return m_settings->value(kLastOpenFolderKey).toString();
}

void CRecentFileList::SetLastOpenFolder(const QString& folder) {
    if (!m_enabled || folder.isEmpty()) return;
    m_settings->setValue(kLastOpenFolderKey, folder);
    m_settings->sync();
}

void CRecentFileList::Store() {
    for (int i = 0; i < kSize; ++i) {
        if (i < m_files.size())
            m_settings->setValue(KeyOf(i), m_files[i]);
        else
            m_settings->remove(KeyOf(i));
    }
    m_settings->sync();
}

}  // namespace quillon
