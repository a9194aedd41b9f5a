#include "runtime/picture_box.h"

#include "generated/version.h"

#include <QImageReader>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <utility>

namespace runtime {

namespace {

QImage read(const QString &path, QSize size = QSize())
{
    QImageReader reader(path);
    if (size.isValid())
        reader.setScaledSize(size);
    return reader.read();
}

// The picture `resource` names, `size` device pixels large.
QImage makePicture(const QString &resource, QSize size)
{
    const QSize designed = QImageReader(resource + QStringLiteral(".bmp")).size();
    if (size == designed)
        return read(resource + QStringLiteral(".bmp"));
    if (size == designed * 2)
        return read(resource + QStringLiteral("@2x.bmp"));
    // Anywhere else the cards are drawn at the very size (by Qt's SVG image plugin), so their
    // outlines fall on device pixels as crisply as in the designed pictures.
    const QImage drawn = read(resource + QStringLiteral(".svg"), size);
    if (!drawn.isNull())
        return drawn.convertToFormat(QImage::Format_RGB32);
    static bool said = false;
    if (!std::exchange(said, true)) {
        std::fprintf(stderr, "%s: Qt's SVG image plugin (" QUELLARY_SVG_PLUGIN ") is missing, "
                     "so the cards are shown enlarged and less sharp; install it.\n",
                     quellary::product_name);
    }
    return read(resource + QStringLiteral("@2x.bmp")).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

PictureBox::PictureBox(const QString &picture, QWidget *parent)
    : QWidget(parent), resource_(QStringLiteral(":/pictures/") + picture)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    settling_.setSingleShot(true);
    settling_.setInterval(150);
    connect(&settling_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void PictureBox::resizeEvent(QResizeEvent *)
{
    // Drawing the cards afresh takes up to 20 ms at a large size, more than a frame: a drag
    // of the window's frame would stall on it.
    if (!shown_.isNull())
        settling_.start();
}

QSize PictureBox::deviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(int(std::lround(width() * ratio)), int(std::lround(height() * ratio)));
}

void PictureBox::paintEvent(QPaintEvent *)
{
    if (shown_.size() != deviceSize() && !settling_.isActive())
        shown_ = makePicture(resource_, deviceSize());
    QPainter painter(this);
    if (shown_.size() != deviceSize()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), shown_);
        return;
    }
    // The ratio too may have changed, with the window's screen, where the size has not.
    shown_.setDevicePixelRatio(devicePixelRatioF());
    // Where a logical pixel is not a whole number of device pixels the box's edges fall
    // between device pixels; the picture's own background keeps a rounded-off row clean.
    if (devicePixelRatioF() != std::floor(devicePixelRatioF()))
        painter.fillRect(rect(), shown_.pixelColor(0, 0));
    painter.drawImage(QPointF(0, 0), shown_);
}

} // namespace runtime
