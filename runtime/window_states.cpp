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
};

constexpr const char *ownSizeProperty = "quellaryOwnSize";

class DemandedSizes final : public QObject {
public:
    explicit DemandedSizes(QObject *parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A window's handle exists by the time it is shown. The state is followed from the
        // moment it is asked for: Qt sends the request before it tells anyone, and the size
        // that comes back must find the window free to take it.
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() && widget->windowHandle())
                connect(widget->windowHandle(), &QWindow::windowStateChanged, this,
                        &DemandedSizes::stateChanged, Qt::UniqueConnection);
        }
        return false;
    }

private:
    void stateChanged(Qt::WindowState state)
    {
        QWidget *window = windowOf(qobject_cast<QWindow *>(sender()));
        if (!window)
            return;
        const bool demanded = state == Qt::WindowMaximized || state == Qt::WindowFullScreen;
        const QVariant kept = window->property(ownSizeProperty);
        if (demanded && !kept.isValid()) {
            OwnSize own{window->minimumSize(), window->maximumSize()};
            if (QLayout *layout = window->layout()) {
                own.constraint = layout->sizeConstraint();
                layout->setSizeConstraint(QLayout::SetNoConstraint);
            }
            window->setProperty(ownSizeProperty, QVariant::fromValue(own));
            window->setMinimumSize(0, 0);
            window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        } else if (!demanded && kept.isValid()) {
            const auto own = kept.value<OwnSize>();
            window->setProperty(ownSizeProperty, QVariant());
            window->setMinimumSize(own.minimum);
            window->setMaximumSize(own.maximum);
            if (QLayout *layout = window->layout())
                layout->setSizeConstraint(own.constraint);
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
