#include "gui/common/TablePicture.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QTableWidget>

namespace quillon {

namespace {

/// Where the picture's parts go at the natural size, in logical pixels.
struct TableGeometry {
    static constexpr int kMargin = 12;
    static constexpr int kPad = 6;
    int titleLines = 0;
    int lineHeight = 0;
    int headerWidth = 0;  // the row headers' column
    int cellWidth = 0;    // every value column alike, as in an engine's table
    int rowHeight = 0;
    QSize size;
};

TableGeometry MeasureTable(const QTableWidget& grid, const QStringList& title,
                           const QFontMetrics& fm) {
    TableGeometry g;
    g.titleLines = int(title.size());
    g.lineHeight = fm.height();
    g.rowHeight = fm.height() + TableGeometry::kPad;
    auto width = [&](const QTableWidgetItem* item) {
        return item ? fm.horizontalAdvance(item->text()) + 2 * TableGeometry::kPad : 0;
    };
    for (int r = 0; r < grid.rowCount(); ++r) {
        g.headerWidth = std::max(g.headerWidth, width(grid.verticalHeaderItem(r)));
        for (int c = 0; c < grid.columnCount(); ++c)
            g.cellWidth = std::max(g.cellWidth, width(grid.item(r, c)));
    }
    for (int c = 0; c < grid.columnCount(); ++c)
        g.cellWidth = std::max(g.cellWidth, width(grid.horizontalHeaderItem(c)));
    int titleWidth = 0;
    for (const QString& line : title)
        titleWidth = std::max(titleWidth, fm.horizontalAdvance(line));
    const int tableWidth = g.headerWidth + grid.columnCount() * g.cellWidth;
    g.size = QSize(std::max(tableWidth, titleWidth) + 2 * TableGeometry::kMargin,
                   g.titleLines * g.lineHeight + TableGeometry::kPad +
                       (grid.rowCount() + 1) * g.rowHeight + 2 * TableGeometry::kMargin);
    return g;
}

}  // namespace

TablePicture::TablePicture(const QTableWidget& table, QStringList title, const QFont& font)
    : m_table(table), m_title(std::move(title)), m_font(font) {}

QSize TablePicture::NaturalSize() const {
    return MeasureTable(m_table, m_title, QFontMetrics(m_font)).size;
}

void TablePicture::Paint(QPainter& painter, const QSizeF& size) const {
    const QFontMetrics fm(m_font);
    const TableGeometry g = MeasureTable(m_table, m_title, fm);
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    // The natural layout scaled alike both ways to fit, and centred.
    const double scale = std::min(size.width() / g.size.width(), size.height() / g.size.height());
    painter.save();
    painter.translate((size.width() - g.size.width() * scale) / 2,
                      (size.height() - g.size.height() * scale) / 2);
    painter.scale(scale, scale);
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    int y = TableGeometry::kMargin;
    for (const QString& line : m_title) {
        painter.drawText(QPoint(TableGeometry::kMargin, y + fm.ascent()), line);
        y += g.lineHeight;
    }
    y += TableGeometry::kPad;
    // Fills and texts cell by cell, then each rule once, so that a scaled picture keeps even
    // lines.
    const QColor header(232, 232, 236), rule(170, 170, 180);
    const int left = TableGeometry::kMargin;
    const int columns = m_table.columnCount(), rows = m_table.rowCount();
    auto box = [&](int c, int r) {  // c, r = -1: the header column, row
        const int x = c < 0 ? left : left + g.headerWidth + c * g.cellWidth;
        return QRect(x, y + (r + 1) * g.rowHeight, c < 0 ? g.headerWidth : g.cellWidth,
                     g.rowHeight);
    };
    auto cell = [&](int c, int r, const QTableWidgetItem* item, const QColor& fill) {
        painter.fillRect(box(c, r), fill);
        if (!item) return;
        painter.drawText(box(c, r).adjusted(TableGeometry::kPad, 0, -TableGeometry::kPad, 0),
                         (c < 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, item->text());
    };
    cell(-1, -1, nullptr, header);
    for (int c = 0; c < columns; ++c)
        cell(c, -1, m_table.horizontalHeaderItem(c), header);
    for (int r = 0; r < rows; ++r) {
        cell(-1, r, m_table.verticalHeaderItem(r), header);
        for (int c = 0; c < columns; ++c) {
            const QTableWidgetItem* item = m_table.item(r, c);
            const QBrush fill = item ? item->background() : QBrush();
            cell(c, r, item, fill.style() == Qt::NoBrush ? QColor(Qt::white) : fill.color());
        }
    }
    QPen rulePen(rule, 1.0);
    rulePen.setCosmetic(true);  // one device pixel at any scale
    painter.setPen(rulePen);
    const int right = box(columns - 1, 0).right() + 1, bottom = box(0, rows - 1).bottom() + 1;
    for (int r = -1; r <= rows; ++r)
        painter.drawLine(left, y + (r + 1) * g.rowHeight, right, y + (r + 1) * g.rowHeight);
    for (int c = -1; c <= columns; ++c) {
        const int x = c < 0 ? left : left + g.headerWidth + c * g.cellWidth;
        painter.drawLine(x, y, x, bottom);
    }
    painter.restore();
}

}  // namespace quillon
