#include "runtime/window_states.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QWidget>
#include <QWindow>

namespace runtime {

namespace {

// The limits a window had in the normal state, kept while another state sets its size.
struct OwnSize {
    QSize minimum;
    QSize maximum;
    QLayout::SizeConstraint constraint = QLayout::SetDefaultConstraint;
    Qt::Alignment alignment;
};

constexpr const char *ownSizeProperty = "quellaryOwnSize";

class DemandedSizes final : public QObject {
public:
    explicit DemandedSizes(QObject *parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            // A window's handle exists by the time it is shown.
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() && widget->windowHandle())
                connect(widget->windowHandle(), &QWindow::windowStateChanged, this,
                        &DemandedSizes::requested, Qt::UniqueConnection);
        } else if (event->type() == QEvent::WindowStateChange && event->spontaneous() &&
                   watched->isWindowType()) {
            // The window system has put the window in this state.
            auto *handle = static_cast<QWindow *>(watched);
            follow(windowOf(handle), handle->windowStates());
        }
        return false;
    }

private:
    // The program or Qt's title bar asks for a state. Qt has sent the request by the time it
    // says so, and the demanded size may come back before anything else: the window must be
    // free to take it from now on. Its own size comes back only once the window system has
    // left the state, since until then a window of any other size is an error.
    void requested(Qt::WindowState state)
    {
        if (demandsSize(state))
            follow(windowOf(qobject_cast<QWindow *>(sender())), state);
    }

    static bool demandsSize(Qt::WindowStates states)
    {
        return states & (Qt::WindowMaximized | Qt::WindowFullScreen);
    }

    static void follow(QWidget *window, Qt::WindowStates states)
    {
        if (!window)
            return;
        const bool demanded = demandsSize(states);
        const QVariant kept = window->property(ownSizeProperty);
        if (demanded && !kept.isValid()) {
            OwnSize own;
            own.minimum = window->minimumSize();
            own.maximum = window->maximumSize();
            if (QLayout *layout = window->layout()) {
                own.constraint = layout->sizeConstraint();
                own.alignment = layout->alignment();
                layout->setSizeConstraint(QLayout::SetNoConstraint);
                // A box's contents stay together in the middle of the larger window.
                layout->setAlignment(Qt::AlignCenter);
            }
            window->setProperty(ownSizeProperty, QVariant::fromValue(own));
            window->setMinimumSize(0, 0);
            window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        } else if (!demanded && kept.isValid()) {
            const auto own = kept.value<OwnSize>();
            window->setProperty(ownSizeProperty, QVariant());
            window->setMinimumSize(own.minimum);
            window->setMaximumSize(own.maximum);
            if (QLayout *layout = window->layout()) {
                layout->setAlignment(own.alignment);
                layout->setSizeConstraint(own.constraint);
            }
        }
    }

    static QWidget *windowOf(const QWindow *handle)
    {
        if (!handle)
            return nullptr;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->windowHandle() == handle)
                return window;
        }
        return nullptr;
    }
};

} // namespace

void takeDemandedSizes(QApplication &application)
{
    application.installEventFilter(new DemandedSizes(&application));
}

} // namespace runtime
