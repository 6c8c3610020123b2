#pragma once
/// A picture of a whole table widget (not only the part scrolled into view) under a few title
/// lines: header cells shaded, value cells with their own background, even rules.

#include <QFont>
#include <QSize>
#include <QStringList>

class QPainter;
class QSizeF;
class QTableWidget;

namespace quillon {

class TablePicture {
public:
    /// The table as it is when painted; the texts use `font`.
    TablePicture(const QTableWidget& table, QStringList title, const QFont& font);

    /// The size at which the texts have the font's own size.
    QSize NaturalSize() const;
    /// Paints the natural layout on a white ground, scaled alike both ways to fit `size` and
    /// centred.
    void Paint(QPainter& painter, const QSizeF& size) const;

private:
    const QTableWidget& m_table;
    QStringList m_title;
    QFont m_font;
};

}  // namespace quillon
