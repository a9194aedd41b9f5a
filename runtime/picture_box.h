#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace runtime {

// An image control. The picture is shown at its natural size at the design density and
// scaled with the form otherwise; where the form is scaled up or the screen has more than
// one device pixel per logical pixel, the double-size picture is drawn so the cards stay
// sharp. Pictures are decoded when first drawn or asked for, so a hidden one costs nothing
// at start-up.
class PictureBox final : public QWidget {
    Q_OBJECT

public:
    // `picture` names a resource under :/pictures/, with an "@2x" twin beside it.
    PictureBox(const QString &picture, QWidget *parent = nullptr);

    // The picture drawn at the current size and screen: the 1x or the 2x one.
    const QImage &shownPicture() const;
    // Decodes that picture now, so that its first drawing need not.
    void preload() const { shownPicture(); }
    // Whether that picture has been decoded yet.
    bool decoded() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // More device pixels across than the 1x picture has.
    bool wantsDoubled() const;

    QString resource_;
    mutable QImage base_;
    mutable QImage doubled_;
};

} // namespace runtime
