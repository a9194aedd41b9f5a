#include "runtime/form_builder.h"

#include "runtime/core/layout.h"
#include "runtime/picture_box.h"
#include "runtime/qt_text.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>

namespace runtime {

namespace {

QRect toQRect(const PixelBox &box)
{
    return QRect(box.left, box.top, box.width, box.height);
}

// The space a control leaves its caption when it is `box` large.
QSize captionRoom(const QWidget *control, const QSize &box)
{
    if (const auto *button = qobject_cast<const QPushButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = QRect(QPoint(), box);
        option.text = button->text();
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).size();
    }
    return box.shrunkBy(control->contentsMargins());
}

// What the caption needs in the control's own font.
QSize captionSize(const QWidget *control, const QString &caption)
{
    return QFontMetrics(control->font()).size(Qt::TextSingleLine, caption);
}

// A font `factor` times as large.
QFont enlarged(QFont font, double factor)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
    return font;
}

} // namespace

void buildMenus(const WindowDescription &description, QMenuBar *bar, const EventSink &raise)
{
    for (const MenuDescription &menu : description.menus) {
        if (menu.parent.empty()) {
            bar->addMenu(toQString(menu.caption))->setObjectName(toQString(menu.name));
            continue;
        }
        auto *parent = bar->findChild<QMenu *>(toQString(menu.parent));
        if (!parent)
            continue;
        QAction *item = parent->addAction(toQString(menu.caption));
        item->setObjectName(toQString(menu.name));
        item->setMenuRole(QAction::NoRole);
        QObject::connect(item, &QAction::triggered, item, [raise, name = menu.name] { raise(name, Event::Click); });
    }
}

void buildControls(const WindowDescription &description, QWidget *client, const EventSink &raise)
{
    for (const ControlDescription &control : description.controls) {
        QWidget *widget = nullptr;
        switch (control.kind) {
        case ControlKind::PushButton: {
            auto *button = new QPushButton(toQString(control.caption), client);
            // Neither Return nor Escape presses a button of this form.
            button->setAutoDefault(false);
            button->setDefault(false);
            QObject::connect(button, &QPushButton::clicked, button,
                             [raise, name = control.name] { raise(name, Event::Click); });
            widget = button;
            break;
        }
        case ControlKind::Label: {
            auto *label = new QLabel(toQString(control.caption), client);
            label->setTextFormat(Qt::PlainText);
            widget = label;
            break;
        }
        case ControlKind::Image:
            widget = new PictureBox(toQString(control.picture), client);
            widget->setAccessibleName(QString::fromStdString(control.accessible_name));
            break;
        case ControlKind::Timer:
            continue;  // counted by the form, never drawn
        }
        widget->setObjectName(toQString(control.name));
        // Only hide: children show with the form.
        if (!control.visible)
            widget->hide();
    }
}

double captionScale(const WindowDescription &description, const QWidget *client)
{
    // The design's boxes fit their captions at the stock desktop font. Where the desktop's
    // font is larger, the whole form grows by one factor so that the widest caption still
    // fits inside its box's margins, instead of clipping the instructions.
    double scale = 1.0;
    for (const ControlDescription &control : description.controls) {
        if (control.caption.empty() || control.width <= 0 || control.height <= 0)
            continue;
        const auto *widget = client->findChild<QWidget *>(toQString(control.name));
        const QSize box = toQRect(to_pixels(control, 1.0)).size();
        const QSize needed = captionSize(widget, toQString(control.caption)) + box - captionRoom(widget, box);
        scale = std::max({scale, double(needed.width()) / box.width(), double(needed.height()) / box.height()});
    }
    return scale;
}

void placeControls(const WindowDescription &description, QWidget *client, double scale, double caption_scale)
{
    for (const ControlDescription &control : description.controls) {
        auto *widget = client->findChild<QWidget *>(toQString(control.name));
        if (!widget)
            continue;
        widget->setGeometry(toQRect(to_pixels(control, scale)));
        // A font of the form's own (the message line's) is designed against the stock
        // desktop font, so it grows with the whole form.
        if (control.font) {
            QFont font(toQString(control.font->family));
            font.setPointSizeF(control.font->points * scale);
            font.setWeight(QFont::Weight(control.font->weight));
            widget->setFont(font);
        }
    }
    // Text does not grow or shrink quite in step with its point size, so where a caption
    // would still be clipped the fonts shrink a little more.
    double factor = scale / caption_scale;
    for (int attempt = 0; attempt < 8; ++attempt) {
        double overflow = 1.0;
        for (const ControlDescription &control : description.controls) {
            auto *widget = client->findChild<QWidget *>(toQString(control.name));
            if (!widget || control.font)
                continue;
            if (factor != 1.0)
                widget->setFont(enlarged(QApplication::font(widget), factor));
            else if (widget->testAttribute(Qt::WA_SetFont))
                widget->setFont(QFont());  // the desktop's font again
            if (control.caption.empty())
                continue;
            const QSize room = captionRoom(widget, widget->size());
            const QSize needed = captionSize(widget, toQString(control.caption));
            overflow = std::max({overflow, double(needed.width()) / room.width(),
                                 double(needed.height()) / room.height()});
        }
        if (factor == 1.0 || overflow <= 1.0)
            break;
        // Point sizes map to whole pixel sizes: a step a little larger than the overflow
        // keeps this from stopping one pixel short.
        factor /= overflow * 1.01;
    }
}

} // namespace runtime
