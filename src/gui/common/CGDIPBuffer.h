#pragma once
/// Base of the self-drawn displays: renders once into a cached premultiplied-alpha image of the
/// widget's size and repaints from the cache until the content or the size changes.

#include <QPixmap>
#include <QWidget>

namespace quillon {

class CGDIPBuffer : public QWidget {
    Q_OBJECT
public:
    explicit CGDIPBuffer(QWidget* parent = nullptr);

    /// Drops the cached image and schedules a repaint; every setter of a subclass calls it.
    void Invalidate();
    /// How many times the content was rendered (a repaint from the cache does not count).
    int RenderCount() const { return m_renders; }
    bool HasCache() const { return !m_cache.isNull(); }

signals:
    void clicked();
    void doubleClicked();

protected:
    /// Draws the content on a transparent surface of the given size.
    virtual void Render(QPainter& painter, const QSize& size) = 0;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap m_cache;
    int m_renders = 0;
};

}  // namespace quillon
