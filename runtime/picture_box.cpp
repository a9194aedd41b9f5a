#include "runtime/picture_box.h"

#include "generated/version.h"

#include <QImageReader>
#include <QPainter>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace runtime {

namespace {

QImage read(const QString &path, QSize size = QSize())
{
    QImageReader reader(path);
    if (size.isValid())
        reader.setScaledSize(size);
    return reader.read();
}

// The picture `resource` names, `size` device pixels large. Touches nothing but the
// program's resources, so it may run on any thread.
QImage makePicture(const QString &resource, QSize size)
{
    const QSize base = QImageReader(resource + QStringLiteral(".bmp")).size();
    // The pictures as designed, where they fit the box exactly.
    if (size == base)
        return read(resource + QStringLiteral(".bmp"));
    if (size == base * 2)
        return read(resource + QStringLiteral("@2x.bmp"));
    // Anywhere else the cards are drawn at the very size (by Qt's SVG image plugin), so
    // their outlines fall on device pixels as crisply as in the designed pictures.
    const QImage drawn = read(resource + QStringLiteral(".svg"), size);
    if (!drawn.isNull())
        return drawn.convertToFormat(QImage::Format_RGB32);
    static std::atomic_flag said;
    if (!said.test_and_set()) {
        std::fprintf(stderr, "%s: Qt's SVG image plugin (Debian package libqt6svg6) is missing, "
                     "so the cards are shown enlarged and less sharp; install it.\n",
                     quellary::product_name);
    }
    return read(resource + QStringLiteral("@2x.bmp"))
        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

PictureBox::PictureBox(const QString &picture, QWidget *parent)
    : QWidget(parent), resource_(QStringLiteral(":/pictures/") + picture)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PictureBox::~PictureBox()
{
    collect();
}

QSize PictureBox::deviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(static_cast<int>(std::lround(width() * ratio)), static_cast<int>(std::lround(height() * ratio)));
}

void PictureBox::preload()
{
    const QSize size = deviceSize();
    if (decoded() || (maker_.joinable() && makingSize_ == size))
        return;
    collect();
    makingSize_ = size;
    ready_ = false;
    try {
        maker_ = std::thread([this, resource = resource_, size] {
            made_ = makePicture(resource, size);
            ready_ = true;
        });
    } catch (const std::system_error &) {
        // No thread to be had: the picture is made when it is first drawn, as it would be
        // without this head start.
    }
}

void PictureBox::collect() const
{
    if (!maker_.joinable())
        return;
    maker_.join();
    shown_ = std::move(made_);
    made_ = QImage();
}

const QImage &PictureBox::shownPicture() const
{
    const QSize size = deviceSize();
    collect();
    if (shown_.isNull() || shown_.size() != size)
        shown_ = makePicture(resource_, size);
    // The ratio too may have changed, with the window's screen, where the size has not.
    shown_.setDevicePixelRatio(devicePixelRatioF());
    return shown_;
}

bool PictureBox::decoded() const
{
    const QSize size = deviceSize();
    if (maker_.joinable())
        return makingSize_ == size && ready_;
    return !shown_.isNull() && shown_.size() == size;
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage &picture = shownPicture();
    if (picture.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    // Where a logical pixel is not a whole number of device pixels the box's edges fall
    // between device pixels; the picture's own background keeps a rounded-off row clean.
    if (devicePixelRatioF() != std::floor(devicePixelRatioF()))
        painter.fillRect(rect(), picture.pixelColor(0, 0));
    // deviceSize() pixels at the screen's ratio: drawn at its natural size, each picture
    // pixel lands on one device pixel.
    painter.drawImage(QPointF(0, 0), picture);
}

} // namespace runtime
