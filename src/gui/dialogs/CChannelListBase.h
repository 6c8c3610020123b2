#pragma once
/// What the channel lists of the setup dialogs share: items that carry a channel number and are
/// drawn as the channel's display name (white when the log has the channel, grey otherwise) on
/// black, an optional marker, a focus rectangle, and the channel drag data.

#include <cstdint>
#include <functional>

#include <QListWidget>

class QDrag;
class QMimeData;

namespace quillon {

class CDataLogDoc;

class CChannelListBase : public QListWidget {
    Q_OBJECT
public:
    CChannelListBase(const CDataLogDoc& doc, int itemHeight, QWidget* parent = nullptr);

    int ItemHeight() const { return m_itemHeight; }
    /// The channel of a row (its item data); 0 for an empty slot or no row.
    uint32_t ChannelAt(int row) const;
    QString DisplayName(uint32_t channel) const;
    bool IsAvailable(uint32_t channel) const;
    /// Whether a channel gets the marker before its name; no marker without it.
    std::function<bool(uint32_t channel)> isMarked;

    /// The drag data: one unsigned 32-bit channel number (little-endian) under the channel MIME
    /// type.
    static QMimeData* EncodeChannel(uint32_t channel);
    /// False when the data does not carry exactly one channel number.
    static bool DecodeChannel(const QMimeData* data, uint32_t& channel);
    static bool HasChannel(const QMimeData* data);

    /// Runs a drag and returns its effect; the platform's drag loop unless replaced (tests
    /// deliver the drag to a target themselves).
    std::function<Qt::DropAction(QDrag& drag, Qt::DropActions allowed)> execDrag;

    static QColor AvailableColor() { return QColor(255, 255, 255); }
    static QColor UnavailableColor() { return QColor(150, 150, 150); }

protected:
    /// Items flow top to bottom in columns a quarter of the list wide, scrolling sideways.
    void SetMultiColumn();
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    /// Called once the mouse moved far enough with the left button down on `row`.
    virtual void StartDrag(int row) = 0;
    Qt::DropAction RunDrag(uint32_t channel, Qt::DropActions allowed, Qt::DropAction preferred);
    /// The row under a viewport position, -1 below the items.
    int RowAt(const QPoint& position) const;

private:
    const CDataLogDoc& m_doc;
    int m_itemHeight;
    bool m_multiColumn = false;
    QPoint m_pressPosition;
    int m_pressRow = -1;
};

}  // namespace quillon
