#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace runtime {

// An image control. Its picture is drawn one picture pixel to each device pixel, never
// stretched by the painter: at the design density the 1x picture as it was made, at exactly
// twice that the 2x one, and at any other size the cards drawn afresh from their vector art
// at the box's device size. A picture is made when it is first drawn at a size; while the
// box is being resized, the last one is shown scaled until the size has settled.
class PictureBox final : public QWidget {
    Q_OBJECT

public:
    // `picture` names a resource under :/pictures/: NAME.bmp, its twin NAME@2x.bmp and the
    // vector art NAME.svg.
    PictureBox(const QString &picture, QWidget *parent);

    // The box's size in device pixels, which its picture has once drawn.
    QSize deviceSize() const;
    // The picture as last drawn.
    const QImage &shownPicture() const { return shown_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QString resource_;
    QImage shown_;
    QTimer settling_;
};

} // namespace runtime
