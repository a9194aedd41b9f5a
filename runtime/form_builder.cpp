#include "runtime/form_builder.h"

#include "runtime/picture_box.h"
#include "runtime/qt_text.h"
#include "runtime/timer_control.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>
#include <vector>

namespace runtime {

namespace {

// A box in twips as logical pixels, `scale` times the design density. Each edge is rounded
// on its own, so boxes that meet in twips meet in pixels.
QRect twipsToPixels(int left, int top, int width, int height, double scale)
{
    const auto pixels = [scale](int twips) {
        return static_cast<int>(std::lround(twips * scale / twips_per_pixel));
    };
    const int x = pixels(left), y = pixels(top);
    return QRect(x, y, pixels(left + width) - x, pixels(top + height) - y);
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

void createControl(const ControlDescription &control, QWidget *client,
                   std::unique_ptr<Countdown> &countdown, const EventSink &raise, BuiltControls &built)
{
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
    case ControlKind::Image: {
        auto *picture = new PictureBox(toQString(control.picture), client);
        picture->setAccessibleName(QString::fromStdString(control.accessible_name));
        widget = picture;
        break;
    }
    case ControlKind::Timer:
        built.timer = new TimerControl(std::move(countdown), client);
        built.timer->setObjectName(toQString(control.name));
        QObject::connect(built.timer, &TimerControl::timer, built.timer,
                         [raise, name = control.name] { raise(name, Event::Timer); });
        return;
    }
    widget->setObjectName(toQString(control.name));
    // Only hide: children show with the form, and showing one now would size it to its
    // contents, work that placing the controls undoes.
    if (!control.visible)
        widget->hide();
}

double chooseLayoutScale(const WindowDescription &description, const QWidget *client)
{
    // The design's boxes fit their captions at the stock desktop font. Where the desktop's
    // font is larger, the whole form grows by one factor so that the widest caption still
    // fits inside its box's margins, instead of clipping the instructions.
    double scale = 1.0;
    for (const ControlDescription &control : description.controls) {
        if (control.caption.empty() || control.width <= 0 || control.height <= 0)
            continue;
        const auto *widget = client->findChild<QWidget *>(toQString(control.name));
        const QSize box = twipsToPixels(control.left, control.top, control.width, control.height, 1.0).size();
        const QSize margins = box - captionRoom(widget, box);
        const QSize needed = captionSize(widget, toQString(control.caption)) + margins;
        scale = std::max({scale, double(needed.width()) / box.width(),
                          double(needed.height()) / box.height()});
    }
    return scale;
}

// A font `factor` times as large.
QFont enlarged(QFont font, double factor)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * factor))));
    return font;
}

} // namespace

void placeControls(const WindowDescription &description, QWidget *client, double scale, double caption_scale)
{
    for (const ControlDescription &control : description.controls) {
        auto *widget = client->findChild<QWidget *>(toQString(control.name));
        if (!widget)
            continue;
        widget->setGeometry(twipsToPixels(control.left, control.top, control.width, control.height, scale));
        // A font of the form's own (the message line's) is designed against the stock
        // desktop font, so it grows with the whole form.
        if (control.font) {
            QFont font(toQString(control.font->family));
            font.setPointSizeF(control.font->points * scale);
            font.setWeight(QFont::Weight(control.font->weight));
            widget->setFont(font);
        }
    }
    client->setFixedSize(twipsToPixels(0, 0, description.client_width, description.client_height, scale).size());

    // The desktop's font is what the scale was chosen for; it shrinks only where the form
    // must be smaller than that. Text does not shrink quite in step with its point size,
    // so where a caption would still be clipped the fonts shrink a little more.
    double factor = scale / caption_scale;
    for (int attempt = 0; attempt < 8; ++attempt) {
        double overflow = 1.0;
        for (const ControlDescription &control : description.controls) {
            auto *widget = client->findChild<QWidget *>(toQString(control.name));
            if (!widget || control.font)
                continue;
            if (factor < 1.0)
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
        if (factor >= 1.0 || overflow <= 1.0)
            break;
        // Point sizes map to whole pixel sizes: a step a little larger than the overflow
        // keeps this from stopping one pixel short.
        factor /= overflow * 1.01;
    }
}

double fittingScale(const WindowDescription &description, double wanted, QSize room, double least)
{
    const double across = double(room.width()) * twips_per_pixel / description.client_width;
    const double down = double(room.height()) * twips_per_pixel / description.client_height;
    return std::max(least, std::min({wanted, across, down}));
}

namespace {

// The focus cycles over the push buttons in tab-index order and starts on the first
// visible one. Labels have tab indexes too but never take the focus.
void applyTabOrder(const WindowDescription &description, QWidget *client, BuiltControls &built)
{
    std::vector<const ControlDescription *> order;
    for (const ControlDescription &control : description.controls) {
        if (control.tab_index >= 0 && control.kind == ControlKind::PushButton)
            order.push_back(&control);
    }
    std::ranges::sort(order, {}, &ControlDescription::tab_index);
    QWidget *previous = nullptr;
    bool focused = false;
    for (const ControlDescription *control : order) {
        auto *widget = client->findChild<QWidget *>(toQString(control->name));
        widget->setFocusPolicy(Qt::StrongFocus);
        if (previous)
            QWidget::setTabOrder(previous, widget);
        if (!focused && control->visible) {
            widget->setFocus();
            focused = true;
        }
        previous = widget;
        built.focus_order.push_back(widget);
    }
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

BuiltControls buildControls(const WindowDescription &description, QWidget *client,
                            std::unique_ptr<Countdown> countdown, const EventSink &raise)
{
    BuiltControls built;
    for (const ControlDescription &control : description.controls)
        createControl(control, client, countdown, raise, built);
    built.scale = chooseLayoutScale(description, client);
    built.caption_scale = built.scale;
    placeControls(description, client, built.scale, built.caption_scale);
    applyTabOrder(description, client, built);
    return built;
}

} // namespace runtime
