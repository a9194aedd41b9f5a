#include "runtime/form_window.h"

#include "generated/version.h"
#include "runtime/form_builder.h"
#include "runtime/message_box.h"
#include "runtime/picture_box.h"
#include "runtime/qt_text.h"
#include "runtime/timer_control.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace runtime {

namespace {

template <typename T> const T *valueAs(const trick::Value &value)
{
    return std::get_if<T>(&value);
}

} // namespace

FormWindow::FormWindow(const WindowDescription &description, EventTable events,
                       std::unique_ptr<Countdown> countdown)
    : events_(events)
{
    setObjectName(toQString(description.name));
    setWindowTitle(toQString(description.caption));
    setWindowIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(toQString(description.icon))));
    // A fixed-size form: no maximise button, since a larger window would show nothing more.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    const EventSink raise = [this](std::string_view control, Event event) { dispatch(control, event); };
    buildMenus(description, menuBar(), raise);
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    const BuiltControls built = buildControls(description, client_, std::move(countdown), raise);
    timer_ = built.timer;
    scale_ = built.scale;
    if (timer_) {
        // A countdown leaves the form with time to spare: decoding the pictures it does not
        // show yet then spares the moment they appear (the reveal) that work. A zero-time
        // timer lets the press be handled and drawn first.
        connect(timer_, &TimerControl::started, this, [this] {
            QTimer::singleShot(0, this, &FormWindow::preloadHiddenPictures);
        });
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

FormWindow::~FormWindow() = default;

void FormWindow::load()
{
    dispatch("Form", Event::Load);
    if (!ended_)
        show();
}

void FormWindow::dispatch(std::string_view control, Event event)
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

void FormWindow::preloadHiddenPictures()
{
    if (ended_)
        return;
    for (PictureBox *picture : client_->findChildren<PictureBox *>()) {
        if (picture->isHidden())
            picture->preload();
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
    const QString product = QString::fromUtf8(quellary::product_name);
    const QString line = QStringLiteral("%1: run-time error: cannot set %2 of %3 (%4); please start %1 again.")
                             .arg(product, toQString(trick::property_name(assignment.property)),
                                  toQString(assignment.control), toQString(trick::status_text(status)));
    std::fprintf(stderr, "%s\n", qUtf8Printable(line));
    std::fflush(stderr);
    showMessageBox(isVisible() ? this : nullptr, line);
    QCoreApplication::exit(exitStatus_);
}

void FormWindow::message_box(std::string_view prompt)
{
    showMessageBox(isVisible() ? this : nullptr, toQString(prompt));
}

void FormWindow::end()
{
    if (halt(0))
        QCoreApplication::exit(exitStatus_);
}

bool FormWindow::halt(int status)
{
    if (ended_)
        return false;
    ended_ = true;
    exitStatus_ = status;
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
