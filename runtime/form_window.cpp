#include "runtime/form_window.h"

#include "runtime/accessibility.h"
#include "runtime/core/layout.h"
#include "runtime/form_builder.h"
#include "runtime/message_box.h"
#include "runtime/qt_text.h"
#include "runtime/window_keys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace runtime {

// The window below its menu bar, the form in its middle.
class FormWindow::Stage final : public QWidget {
public:
    explicit Stage(FormWindow *window) : QWidget(window), window_(window) {}
    QSize sizeHint() const override
    {
        const PixelBox own = client_box(window_->description_, window_->ownScale_);
        return QSize(own.width, own.height);
    }

protected:
    void resizeEvent(QResizeEvent *) override { window_->arrange(); }

private:
    FormWindow *window_;
};

FormWindow::FormWindow(const WindowDescription &description, EventTable events,
                       std::unique_ptr<Countdown> countdown)
    : description_(description), countdown_(std::move(countdown)), form_(description_, events, *this)
{
    setObjectName(toQString(description_.name));
    setWindowTitle(toQString(description_.caption));
    // The form's icon is the program's: every window carries it, the message boxes too.
    const QIcon icon(QStringLiteral(":/icons/%1.png").arg(toQString(description_.icon)));
    QApplication::setWindowIcon(icon);
    setWindowIcon(icon);

    const EventSink raise = [this](std::string_view control, Event event) { form_.raise(control, event); };
    buildMenus(description_, menuBar(), raise);
    auto *stage = new Stage(this);
    setCentralWidget(stage);
    client_ = new QWidget(stage);
    client_->setObjectName(QStringLiteral("client"));
    // Before any control exists: the toolkit settles on a control's interface when it first
    // reports on it.
    installAccessibleInterfaces(client_);
    buildControls(description_, client_, raise);
    QWidget *previous = nullptr;
    for (std::string_view name : form_.focus_order()) {
        QWidget *button = control(name);
        button->setFocusPolicy(Qt::StrongFocus);
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }
    if (!form_.first_button().empty())
        control(form_.first_button())->setFocus();
    countdown_->elapsed = [this] { form_.tick(); };
    addWindowKeys(this);

    // Never below the design density: one device pixel to each of the design's pixels.
    const double least = 1.0 / devicePixelRatioF();
    captionScale_ = captionScale(description_, client_);
    ownScale_ = captionScale_;
    if (const QScreen *screen = this->screen()) {
        const QSize room = screen->availableGeometry().size() - QSize(0, menuBar()->sizeHint().height());
        ownScale_ = std::max(least, std::min(ownScale_, fitting_scale(description_, room.width(), room.height())));
    }
    leastScale_ = std::max(least, std::min(1.0, ownScale_));
    const PixelBox smallest = client_box(description_, leastScale_);
    stage->setMinimumSize(smallest.width, smallest.height);
    // Its own size: Qt would otherwise open a window at most two thirds of the screen.
    resize(sizeHint());
}

FormWindow::~FormWindow() = default;

void FormWindow::load()
{
    form_.raise("Form", Event::Load);
    if (!form_.ended())
        show();
}

void FormWindow::arrange()
{
    const QSize room = centralWidget()->size();
    double scale = fitting_scale(description_, room.width(), room.height());
    // Where its own size fits, the form keeps at least that scale: restored, the window shows
    // the very pixels it opened with.
    const PixelBox own = client_box(description_, ownScale_);
    if (own.width <= room.width() && own.height <= room.height())
        scale = std::max(scale, ownScale_);
    scale = std::max(scale, leastScale_);
    if (scale != scale_) {
        scale_ = scale;
        placeControls(description_, client_, scale_, captionScale_);
    }
    const PixelBox box = client_box(description_, scale_);
    client_->setGeometry((room.width() - box.width) / 2, (room.height() - box.height) / 2, box.width, box.height);
}

QWidget *FormWindow::control(std::string_view name) const
{
    return client_->findChild<QWidget *>(toQString(name), Qt::FindDirectChildrenOnly);
}

void FormWindow::show_control(std::string_view name, bool visible)
{
    QWidget *widget = control(name);
    widget->setVisible(visible);
    reportShown(widget, visible);
}

void FormWindow::set_caption(std::string_view name, std::string_view caption)
{
    QWidget *widget = control(name);
    if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(toQString(caption));
    else if (auto *button = qobject_cast<QPushButton *>(widget))
        button->setText(toQString(caption));
}

void FormWindow::start_clock(int ms)
{
    countdown_->start(ms);
}

void FormWindow::stop_clock()
{
    countdown_->stop();
}

std::string FormWindow::focused() const
{
    const QWidget *widget = focusWidget();
    return widget && widget->parentWidget() == client_ ? widget->objectName().toStdString() : std::string();
}

void FormWindow::focus(std::string_view name, std::string_view news)
{
    QWidget *button = control(name);
    // Described before it is focused, so that a screen reader says both together; the news
    // is old once the focus leaves.
    if (!news.empty()) {
        button->setAccessibleDescription(toQString(news));
        button->installEventFilter(this);
        described_ = button;
    }
    // The focus moved without a key of the user's: its frame is drawn, so that one who sees
    // the screen finds it too.
    setAttribute(Qt::WA_KeyboardFocusChange);
    button->setFocus(Qt::OtherFocusReason);
}

bool FormWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == described_ && event->type() == QEvent::FocusOut) {
        described_->setAccessibleDescription(QString());
        described_->removeEventFilter(this);
        described_.clear();
    }
    return false;
}

void FormWindow::announce(std::string_view news)
{
    runtime::announce(client_, toQString(news));
}

void FormWindow::message_box(std::string_view prompt)
{
    showMessageBox(isVisible() ? this : nullptr, toQString(prompt));
}

void FormWindow::quit(int status)
{
    QCoreApplication::exit(status);
}

void FormWindow::changeEvent(QEvent *event)
{
    // Back from a message box, the focus comes back before the window is reported active,
    // and a screen reader that takes the activation last names only the window: the
    // focused button is named once more after it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        QTimer::singleShot(0, this, [this] {
            if (QWidget *widget = focusWidget(); widget && widget->hasFocus())
                reportFocus(widget);
        });
    }
    QMainWindow::changeEvent(event);
}

bool FormWindow::focusNextPrevChild(bool next)
{
    // Hiding the focused button asks for the next one at once, before the procedure has
    // shown the buttons it brings; the form moves the focus once it has finished.
    return form_.running() || QMainWindow::focusNextPrevChild(next);
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    // Closing the only form ends the program.
    form_.end();
    event->accept();
}

} // namespace runtime
