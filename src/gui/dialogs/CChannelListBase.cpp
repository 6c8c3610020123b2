#include "gui/dialogs/CChannelListBase.h"

#include <QApplication>
#include <QDrag>
#include <QHelpEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

#include "gui/common/ChannelMime.h"
#include "gui/common/AnsiText.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "gui/dialogs/CChannelMarker.h"

namespace quillon {

namespace {

constexpr int kTextIndent = 2;

// Paints one item as the list box's owner drawing did: black, the marker, the name, the focus
// rectangle. Names that do not fit are elided and shown whole in the tooltip.
class ChannelItemDelegate : public QStyledItemDelegate {
public:
    explicit ChannelItemDelegate(CChannelListBase* list)
        : QStyledItemDelegate(list), m_list(list) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {80, m_list->ItemHeight()};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect r = option.rect;
        p->save();
        p->fillRect(r, Qt::black);
        const uint32_t channel = index.data(Qt::UserRole).toUInt();
        if (channel != 0) {
            int x = r.left() + kTextIndent;
            if (m_list->isMarked && m_list->isMarked(channel)) {
                const qreal ratio = p->device()->devicePixelRatioF();
                const int top = r.top() + (r.height() - CChannelMarker::kSize) / 2;
                p->drawPixmap(r.left(), top, CChannelMarker::Pixmap(ratio));
                x += CChannelMarker::kSize;
            }
            p->setFont(m_list->font());
            p->setPen(m_list->IsAvailable(channel) ? CChannelListBase::AvailableColor()
                                                   : CChannelListBase::UnavailableColor());
            const QRect text(x, r.top(), std::max(0, r.right() - x - 1), r.height());
            const QString name = p->fontMetrics().elidedText(m_list->DisplayName(channel),
                                                             Qt::ElideRight, text.width());
            p->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
        }
        if (option.state & QStyle::State_HasFocus) {
            p->setPen(QPen(QColor(220, 220, 220), 1, Qt::DotLine));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem&,
                   const QModelIndex& index) override {
        const uint32_t channel = index.data(Qt::UserRole).toUInt();
        if (event->type() != QEvent::ToolTip || channel == 0) return false;
        QToolTip::showText(event->globalPos(), m_list->DisplayName(channel), view);
        return true;
    }

private:
    CChannelListBase* m_list;
};

}  // namespace

CChannelListBase::CChannelListBase(const CDataLogDoc& doc, int itemHeight, QWidget* parent)
    : QListWidget(parent), m_doc(doc), m_itemHeight(itemHeight) {
    setItemDelegate(new ChannelItemDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setUniformItemSizes(true);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Window, QColor(24, 26, 32));
    palette.setColor(QPalette::Button, QColor(70, 76, 90));
    setPalette(palette);
    QFont small = font();
    small.setPixelSize(std::max(9, itemHeight - 3));
    setFont(small);
}

uint32_t CChannelListBase::ChannelAt(int row) const {
    const QListWidgetItem* it = item(row);
    return it ? it->data(Qt::UserRole).toUInt() : 0;
}

QString CChannelListBase::DisplayName(uint32_t channel) const {
    return FromAnsi(GetChannelName(m_doc.Main().config, int(channel)));
}

bool CChannelListBase::IsAvailable(uint32_t channel) const {
    return m_doc.HasLog() && IsChannelAvailable(m_doc.Main(), int(channel));
}

QMimeData* CChannelListBase::EncodeChannel(uint32_t channel) {
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((channel >> (8 * i)) & 0xFF);
    auto* data = new QMimeData;
    data->setData(kChannelMimeType, bytes);
    return data;
}

bool CChannelListBase::DecodeChannel(const QMimeData* data, uint32_t& channel) {
    if (!HasChannel(data)) return false;
    const QByteArray bytes = data->data(kChannelMimeType);
    if (bytes.size() != 4) return false;
    channel = 0;
    for (int i = 0; i < 4; ++i)
        channel |= uint32_t(uint8_t(bytes[i])) << (8 * i);
    return true;
}

bool CChannelListBase::HasChannel(const QMimeData* data) {
    return data && data->hasFormat(kChannelMimeType);
}

void CChannelListBase::SetMultiColumn() {
    m_multiColumn = true;
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CChannelListBase::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    if (m_multiColumn) setGridSize(QSize(std::max(40, viewport()->width() / 4), m_itemHeight));
}

int CChannelListBase::RowAt(const QPoint& position) const {
    const QModelIndex index = indexAt(position);
    return index.isValid() ? index.row() : -1;
}

void CChannelListBase::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event);
    m_pressRow = -1;
    if (event->button() == Qt::LeftButton) {
        m_pressPosition = event->position().toPoint();
        m_pressRow = RowAt(m_pressPosition);
    }
}

void CChannelListBase::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && m_pressRow >= 0 &&
        (event->position().toPoint() - m_pressPosition).manhattanLength() >=
            QApplication::startDragDistance()) {
        const int row = m_pressRow;
        m_pressRow = -1;
        StartDrag(row);
        return;
    }
    QListWidget::mouseMoveEvent(event);
}

Qt::DropAction CChannelListBase::RunDrag(uint32_t channel, Qt::DropActions allowed,
                                         Qt::DropAction preferred) {
    auto* drag = new QDrag(this);
    drag->setMimeData(EncodeChannel(channel));
    const QString name = DisplayName(channel);
    QPixmap picture(fontMetrics().horizontalAdvance(name) + 8, m_itemHeight);
    picture.fill(QColor(30, 30, 30));
    {
        QPainter p(&picture);
        p.setFont(font());
        p.setPen(Qt::white);
        p.drawText(picture.rect().adjusted(4, 0, 0, 0), Qt::AlignVCenter, name);
    }
    drag->setPixmap(picture);
    const Qt::DropAction result =
        execDrag ? execDrag(*drag, allowed) : drag->exec(allowed, preferred);
    drag->deleteLater();
    return result;
}

}  // namespace quillon
