#include "runtime/picture_box.h"

#include <QPainter>

namespace runtime {

PictureBox::PictureBox(const QString &picture, QWidget *parent)
    : QWidget(parent), resource_(QStringLiteral(":/pictures/") + picture)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const QImage &PictureBox::shownPicture() const
{
    if (base_.isNull())
        base_.load(resource_ + QStringLiteral(".bmp"));
    if (base_.isNull() || !wantsDoubled())
        return base_;
    if (doubled_.isNull())
        doubled_.load(resource_ + QStringLiteral("@2x.bmp"));
    return doubled_.isNull() ? base_ : doubled_;
}

bool PictureBox::decoded() const
{
    return !base_.isNull() && (!wantsDoubled() || !doubled_.isNull());
}

bool PictureBox::wantsDoubled() const
{
    return width() * devicePixelRatioF() > base_.width();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage &picture = shownPicture();
    if (picture.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture);
}

} // namespace runtime
