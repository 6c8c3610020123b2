#pragma once
/// Offers to show a channel that no view shows (a math channel just defined) in the current
/// view: the user picks the entry of the view that it replaces.

#include <QDialog>
#include <QStringList>

class QComboBox;

namespace quillon {

class CDlgPlaceChannel : public QDialog {
    Q_OBJECT
public:
    /// `entries` are the texts of the view's 16 entries; `suggested` is selected first.
    CDlgPlaceChannel(const QString& channel, const QString& view, const QStringList& entries,
                     int suggested, QWidget* parent = nullptr);

    /// The entry chosen, 0..15.
    int Entry() const;
    QComboBox* Entries() const { return m_entries; }

private:
    QComboBox* m_entries = nullptr;
};

}  // namespace quillon
