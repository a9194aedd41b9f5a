#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include <atomic>
#include <thread>

namespace runtime {

// An image control. Its picture is drawn one picture pixel to each device pixel, never
// stretched by the painter: at the design density the 1x picture as it was made, at
// exactly twice that the 2x one, and at any other size (a larger desktop font, a 1.5x or
// 3x screen) the cards drawn afresh from their vector art at the box's device size.
// Pictures are made when first drawn or asked for, so a hidden one costs nothing at
// start-up.
class PictureBox final : public QWidget {
    Q_OBJECT

public:
    // `picture` names a resource under :/pictures/: NAME.bmp, its twin NAME@2x.bmp and the
    // vector art NAME.svg.
    PictureBox(const QString &picture, QWidget *parent = nullptr);
    ~PictureBox() override;

    // The picture drawn at the box's current size and screen, deviceSize() pixels large.
    const QImage &shownPicture() const;
    // Starts making that picture on a thread of its own, so that neither its first
    // drawing nor the user-interface thread waits for it.
    void preload();
    // Whether that picture is ready.
    bool decoded() const;
    // The box's size in device pixels.
    QSize deviceSize() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Takes the picture from the thread making it, waiting for it if need be.
    void collect() const;

    QString resource_;
    mutable QImage shown_;
    // The thread making a picture of makingSize_ into made_; `ready` once it is done.
    mutable std::thread maker_;
    mutable QImage made_;
    mutable QSize makingSize_;
    std::atomic<bool> ready_{false};
};

} // namespace runtime
