#pragma once
/// The background picture of the values view and the setup dialogs: artwork 823 (1024 x 768) at
/// the top-left corner, black elsewhere.

#include <QImage>
#include <QWidget>

namespace quillon {

class CBGImage : public QWidget {
    Q_OBJECT
public:
    explicit CBGImage(QWidget* parent = nullptr);
    /// The picture, drawn once per process.
    static const QImage& Artwork();

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillon
