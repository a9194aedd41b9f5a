#include "form_window.h"

#include "message_box.h"
#include "picture_box.h"
#include "timer_control.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace runtime {

namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename T> const T *valueAs(const trick::Value &value)
{
    return std::get_if<T>(&value);
}

} // namespace

FormWindow::FormWindow(const WindowDescription &description, EventTable events,
                       std::unique_ptr<Countdown> countdown)
    : events_(events), countdown_(std::move(countdown))
{
    setObjectName(toQString(description.name));
    setWindowTitle(toQString(description.caption));
    setWindowIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(toQString(description.icon))));
    // A fixed-size form: no maximise button, since a larger window would show nothing more.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    buildMenus(description);
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    for (const ControlDescription &control : description.controls)
        createControl(control);
    chooseLayoutScale(description);
    placeControls(description);
    setTabOrder(description);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

FormWindow::~FormWindow() = default;

void FormWindow::buildMenus(const WindowDescription &description)
{
    for (const MenuDescription &menu : description.menus) {
        if (menu.parent.empty()) {
            QMenu *bar = menuBar()->addMenu(toQString(menu.caption));
            bar->setObjectName(toQString(menu.name));
            continue;
        }
        auto *parent = menuBar()->findChild<QMenu *>(toQString(menu.parent));
        if (!parent)
            continue;
        QAction *item = parent->addAction(toQString(menu.caption));
        item->setObjectName(toQString(menu.name));
        item->setMenuRole(QAction::NoRole);
        connect(item, &QAction::triggered, this, [this, name = menu.name] { raise(name, Event::Click); });
    }
}

QObject *FormWindow::createControl(const ControlDescription &control)
{
    QObject *created = nullptr;
    QWidget *widget = nullptr;
    switch (control.kind) {
    case ControlKind::PushButton: {
        auto *button = new QPushButton(toQString(control.caption), client_);
        // Neither Return nor Escape presses a button of this form.
        button->setAutoDefault(false);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this, [this, name = control.name] { raise(name, Event::Click); });
        widget = button;
        break;
    }
    case ControlKind::Label: {
        auto *label = new QLabel(toQString(control.caption), client_);
        label->setTextFormat(Qt::PlainText);
        widget = label;
        break;
    }
    case ControlKind::Image: {
        auto *picture = new PictureBox(toQString(control.picture), client_);
        picture->setAccessibleName(QString::fromStdString(control.accessible_name));
        widget = picture;
        break;
    }
    case ControlKind::Timer:
        timer_ = new TimerControl(std::move(countdown_), client_);
        connect(timer_, &TimerControl::timer, this, [this, name = control.name] { raise(name, Event::Timer); });
        // A countdown leaves the form with time to spare: decoding the pictures it does not
        // show yet then spares the moment they appear (the reveal) that work. A zero-time
        // timer lets the press be handled and drawn first.
        connect(timer_, &TimerControl::started, this, [this] {
            QTimer::singleShot(0, this, &FormWindow::decodeHiddenPictures);
        });
        created = timer_;
        break;
    }
    if (widget) {
        if (control.font) {
            QFont font(toQString(control.font->family), control.font->points, control.font->weight);
            widget->setFont(font);
        }
        // Only hide: children show with the form, and showing one now would size it to
        // its contents, work that placeControls() undoes.
        if (!control.visible)
            widget->hide();
        created = widget;
    }
    created->setObjectName(toQString(control.name));
    return created;
}

QSize captionRoom(const QWidget *control, const QSize &box)
{
    if (const auto *button = qobject_cast<const QPushButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = QRect(QPoint(), box);
        option.text = button->text();
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).size();
    }
    const QMargins margins = control->contentsMargins();
    return box.shrunkBy(margins);
}

QSize captionSize(const QWidget *control, const QString &caption)
{
    return QFontMetrics(control->font()).size(Qt::TextSingleLine, caption);
}

void FormWindow::chooseLayoutScale(const WindowDescription &description)
{
    // The design's boxes fit their captions at the stock desktop font. Where the desktop's
    // font is larger, the whole form grows by one factor so that the widest caption still
    // fits inside its box's margins, instead of clipping the instructions.
    scale_ = 1.0;
    for (const ControlDescription &control : description.controls) {
        if (control.caption.empty() || control.width <= 0 || control.height <= 0)
            continue;
        const auto *widget = client_->findChild<QWidget *>(toQString(control.name));
        const QSize box = twipsToPixels(control.left, control.top, control.width, control.height, 1.0).size();
        const QSize margins = box - captionRoom(widget, box);
        const QSize needed = captionSize(widget, toQString(control.caption)) + margins;
        scale_ = std::max({scale_, double(needed.width()) / box.width(),
                           double(needed.height()) / box.height()});
    }
    client_->setFixedSize(toPixels(0, 0, description.client_width, description.client_height).size());
}

QRect twipsToPixels(int left, int top, int width, int height, double scale)
{
    // Each edge is rounded on its own, so boxes that meet in twips meet in pixels.
    const auto pixels = [scale](int twips) {
        return static_cast<int>(std::lround(twips * scale / twips_per_pixel));
    };
    const int x = pixels(left), y = pixels(top);
    return QRect(x, y, pixels(left + width) - x, pixels(top + height) - y);
}

QRect FormWindow::toPixels(int left, int top, int width, int height) const
{
    return twipsToPixels(left, top, width, height, scale_);
}

void FormWindow::placeControls(const WindowDescription &description)
{
    for (const ControlDescription &control : description.controls) {
        if (auto *widget = client_->findChild<QWidget *>(toQString(control.name)))
            widget->setGeometry(toPixels(control.left, control.top, control.width, control.height));
    }
}

void FormWindow::setTabOrder(const WindowDescription &description)
{
    std::vector<const ControlDescription *> order;
    for (const ControlDescription &control : description.controls) {
        if (control.tab_index >= 0 && control.kind == ControlKind::PushButton)
            order.push_back(&control);
    }
    std::ranges::sort(order, {}, &ControlDescription::tab_index);
    QWidget *previous = nullptr;
    for (const ControlDescription *control : order) {
        auto *widget = client_->findChild<QWidget *>(toQString(control->name));
        widget->setFocusPolicy(Qt::StrongFocus);
        if (previous)
            QWidget::setTabOrder(previous, widget);
        else if (control->visible)
            widget->setFocus();
        previous = widget;
    }
}

void FormWindow::load()
{
    raise("Form", Event::Load);
    if (!ended_)
        show();
}

void FormWindow::raise(std::string_view control, Event event)
{
    if (ended_)
        return;
    for (const EventProcedure &procedure : events_) {
        if (procedure.control == control && procedure.event == event) {
            procedure.procedure(*this);
            return;
        }
    }
}

void FormWindow::decodeHiddenPictures()
{
    if (ended_)
        return;
    for (PictureBox *picture : client_->findChildren<PictureBox *>()) {
        if (picture->isHidden() && !picture->decoded())
            picture->shownPicture();
    }
}

trick::Status FormWindow::assign(const trick::Assignment &assignment)
{
    using trick::Property;
    using trick::Status;
    if (check_) {
        if (const Status status = check_(assignment); status != Status::Ok)
            return status;
    }
    QObject *control =
        client_->findChild<QObject *>(toQString(assignment.control), Qt::FindDirectChildrenOnly);
    if (!control)
        return Status::NoSuchControl;

    switch (assignment.property) {
    case Property::Visible: {
        auto *widget = qobject_cast<QWidget *>(control);
        const auto *value = valueAs<trick::Boolean>(assignment.value);
        if (!widget)
            return Status::NoSuchProperty;
        if (!value)
            return Status::InvalidValue;
        widget->setVisible(*value != trick::Boolean::False);
        return Status::Ok;
    }
    case Property::Caption: {
        const auto *value = valueAs<std::string_view>(assignment.value);
        auto *label = qobject_cast<QLabel *>(control);
        auto *button = qobject_cast<QPushButton *>(control);
        if (!label && !button)
            return Status::NoSuchProperty;
        if (!value)
            return Status::InvalidValue;
        if (label)
            label->setText(toQString(*value));
        else
            button->setText(toQString(*value));
        return Status::Ok;
    }
    case Property::Enabled: {
        auto *timer = qobject_cast<TimerControl *>(control);
        const auto *value = valueAs<trick::Boolean>(assignment.value);
        if (!timer)
            return Status::NoSuchProperty;
        if (!value)
            return Status::InvalidValue;
        timer->setEnabled(*value != trick::Boolean::False);
        return Status::Ok;
    }
    case Property::Interval: {
        auto *timer = qobject_cast<TimerControl *>(control);
        const auto *value = valueAs<std::int32_t>(assignment.value);
        if (!timer)
            return Status::NoSuchProperty;
        if (!value || !timer->setInterval(*value))
            return Status::InvalidValue;
        return Status::Ok;
    }
    }
    return Status::NoSuchProperty;
}

void FormWindow::raise_run_time_error(const trick::Assignment &assignment, trick::Status status)
{
    // Nothing in the program handles it: say what failed, once, and end with a failure.
    if (!halt(1))
        return;
    const QString line =
        QStringLiteral("Quellary: run-time error: cannot set %1 of %2 (%3); please start Quellary again.")
            .arg(toQString(trick::property_name(assignment.property)), toQString(assignment.control),
                 toQString(trick::status_text(status)));
    std::fprintf(stderr, "%s\n", qUtf8Printable(line));
    std::fflush(stderr);
    show_message_box(isVisible() ? this : nullptr, line);
    QCoreApplication::exit(exit_status_);
}

void FormWindow::message_box(std::string_view prompt)
{
    show_message_box(isVisible() ? this : nullptr, toQString(prompt));
}

void FormWindow::end()
{
    if (halt(0))
        QCoreApplication::exit(exit_status_);
}

bool FormWindow::halt(int status)
{
    if (ended_)
        return false;
    ended_ = true;
    exit_status_ = status;
    if (timer_)
        timer_->stop();  // a pending tick is dropped
    return true;
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    // Closing the only form ends the program.
    end();
    event->accept();
}

} // namespace runtime
