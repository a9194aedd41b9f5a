#include "runtime/form_window.h"

#include "generated/version.h"
#include "runtime/accessibility.h"
#include "runtime/form_builder.h"
#include "runtime/message_box.h"
#include "runtime/picture_box.h"
#include "runtime/qt_text.h"
#include "runtime/timer_control.h"

#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace runtime {

namespace {

// Sets one property of a control of kind Control that takes values of type Value; `set`
// answers whether the control took the value.
template <typename Control, typename Value, typename Setter>
trick::Status assignTo(QObject *control, const trick::Value &value, Setter set)
{
    auto *target = qobject_cast<Control *>(control);
    if (!target)
        return trick::Status::NoSuchProperty;
    const auto *typed = std::get_if<Value>(&value);
    if (!typed || !set(*target, *typed))
        return trick::Status::InvalidValue;
    return trick::Status::Ok;
}

} // namespace

FormWindow::FormWindow(const WindowDescription &description, EventTable events,
                       std::unique_ptr<Countdown> countdown)
    : description_(description), events_(events)
{
    setObjectName(toQString(description.name));
    setWindowTitle(toQString(description.caption));
    // The form's icon is the program's: every window carries it, the message boxes too.
    const QIcon icon(QStringLiteral(":/icons/%1.png").arg(toQString(description.icon)));
    QApplication::setWindowIcon(icon);
    setWindowIcon(icon);
    // A fixed-size form: no maximise button, since a larger window would show nothing more.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    // Before any control exists: the toolkit settles on a control's interface when it first
    // reports on it, which a name given at creation already does.
    installAccessibleInterfaces();
    const EventSink raise = [this](std::string_view control, Event event) { dispatch(control, event); };
    buildMenus(description, menuBar(), raise);
    // Where the window system makes the window larger than the form (maximised), the form
    // keeps its size in the middle.
    auto *middle = new QWidget(this);
    auto *centring = new QGridLayout(middle);
    centring->setContentsMargins(QMargins());
    client_ = new QWidget(middle);
    client_->setObjectName(QStringLiteral("client"));
    centring->addWidget(client_, 0, 0, Qt::AlignCenter);
    setCentralWidget(middle);
    const BuiltControls built = buildControls(description, client_, std::move(countdown), raise);
    timer_ = built.timer;
    scale_ = built.scale;
    presenter_ = new ProcedurePresenter(client_, built.focus_order);
    openFirstMenuOnF10(this);
    captionScale_ = built.caption_scale;
    if (timer_) {
        // A countdown leaves the form with time to spare: decoding the pictures it does not
        // show yet then spares the moment they appear (the reveal) that work. A zero-time
        // timer lets the press be handled and drawn first.
        connect(timer_, &TimerControl::started, this, [this] {
            QTimer::singleShot(0, this, [this] { preloadPictures(true); });
        });
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    fitToScreen();
}

FormWindow::~FormWindow() = default;

void FormWindow::load()
{
    dispatch("Form", Event::Load);
    if (ended_)
        return;
    // Now that the window system has framed a box, the form's frame is known too. Where
    // that makes the form smaller, its pictures are made again at their new size.
    fitToScreen();
    preloadPictures(false);
    show();
}

void FormWindow::dispatch(std::string_view control, Event event)
{
    if (ended_)
        return;
    for (const EventProcedure &procedure : events_) {
        if (procedure.control == control && procedure.event == event) {
            const ProcedurePresenter::Snapshot before = presenter_->before();
            ++running_;
            procedure.procedure(*this);
            --running_;
            if (!ended_)
                presenter_->after(before);
            return;
        }
    }
}

void FormWindow::preloadPictures(bool hidden)
{
    if (ended_)
        return;
    for (PictureBox *picture : client_->findChildren<PictureBox *>()) {
        if (picture->isHidden() == hidden)
            picture->preload();
    }
}

void FormWindow::prepareFirstShow()
{
    // The window system's window, not yet shown, and the memory the form is drawn into.
    winId();
    QBackingStore *store = backingStore();
    if (!store)
        return;  // a window that is not drawn through one has nothing to prepare
    store->resize(size());
    // Drawing the controls there once, off screen, loads the captions' letters into the
    // glyph caches, keeps their layouts in the program's style, the buttons' frames in the
    // style's own cache, and has the memory in place. Nothing is shown: the whole form is
    // drawn again when the window appears. The pictures are being made on their own
    // threads meanwhile.
    const QRect all(QPoint(), size());
    store->beginPaint(all);
    {
        QPainter painter(store->paintDevice());
        painter.fillRect(all, palette().window());
        const auto draw = [&painter](QWidget *control) {
            control->render(&painter, control->mapTo(control->window(), QPoint()));
        };
        draw(menuBar());
        for (QWidget *control : client_->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!control->isHidden() && !qobject_cast<PictureBox *>(control))
                draw(control);
        }
    }
    store->endPaint();
}

void FormWindow::fitToScreen()
{
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    QSize room = screen->availableGeometry().size().shrunkBy(frame_);
    room.rheight() -= menuBar()->sizeHint().height();
    // Never below the design density: one device pixel to each of the design's pixels.
    const double scale = fittingScale(description_, captionScale_, room, 1.0 / devicePixelRatioF());
    if (scale == scale_)
        return;
    scale_ = scale;
    placeControls(description_, client_, scale_, captionScale_);
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

    const trick::Value &value = assignment.value;
    switch (assignment.property) {
    case Property::Visible:
        return assignTo<QWidget, trick::Boolean>(control, value, [](QWidget &widget, trick::Boolean visible) {
            widget.setVisible(visible != trick::Boolean::False);
            return true;
        });
    case Property::Caption: {
        const auto setText = [](auto &widget, std::string_view caption) {
            widget.setText(toQString(caption));
            return true;
        };
        presenter_->captionSet(control);
        if (qobject_cast<QPushButton *>(control))
            return assignTo<QPushButton, std::string_view>(control, value, setText);
        return assignTo<QLabel, std::string_view>(control, value, setText);
    }
    case Property::Enabled:
        return assignTo<TimerControl, trick::Boolean>(control, value, [](TimerControl &timer, trick::Boolean enabled) {
            timer.setEnabled(enabled != trick::Boolean::False);
            return true;
        });
    case Property::Interval:
        return assignTo<TimerControl, std::int32_t>(control, value, [](TimerControl &timer, std::int32_t ms) {
            return timer.setInterval(ms);
        });
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
    if (isVisible()) {
        showMessageBox(this, toQString(prompt));
        return;
    }
    // A box before the window (the welcome) gives the time to make what the window opens
    // with, so that it is drawn as soon as the box is dismissed.
    preloadPictures(false);
    prepareFirstShow();
    const QMargins frame = showMessageBox(nullptr, toQString(prompt));
    if (!frame.isNull())
        frame_ = frame;
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

bool FormWindow::focusNextPrevChild(bool next)
{
    // Hiding the focused button asks for the next one at once, before the procedure has
    // shown the buttons it brings; the presenter places the focus once it has finished.
    if (running_ > 0)
        return true;
    return QMainWindow::focusNextPrevChild(next);
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    // Closing the only form ends the program.
    end();
    event->accept();
}

} // namespace runtime
