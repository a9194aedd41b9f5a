#include "runtime/window_keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>

namespace runtime {

void addWindowKeys(QMainWindow *window)
{
    QList<QKeySequence> fullScreenKeys = QKeySequence::keyBindings(QKeySequence::FullScreen);
    if (!fullScreenKeys.contains(QKeySequence(Qt::Key_F11)))
        fullScreenKeys.prepend(QKeySequence(Qt::Key_F11));
    auto *fullScreen = new QShortcut(window);
    fullScreen->setKeys(fullScreenKeys);
    QObject::connect(fullScreen, &QShortcut::activated, window,
                     [window] { window->setWindowState(window->windowState() ^ Qt::WindowFullScreen); });

    QMenuBar *bar = window->menuBar();
    QMenu *menu = bar->actions().isEmpty() ? nullptr : bar->actions().first()->menu();
    if (!menu)
        return;
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), window);
    QObject::connect(f10, &QShortcut::activated, bar, [bar, menu] {
        bar->setActiveAction(menu->menuAction());
        // With an item chosen, Return works at once and a screen reader names where the user is.
        if (!menu->actions().isEmpty())
            menu->setActiveAction(menu->actions().first());
    });
    // The toolkit would stop on the menu bar and wait for a second Escape.
    QObject::connect(menu, &QMenu::aboutToHide, bar, [bar] {
        QTimer::singleShot(0, bar, [bar] {
            if (!bar->hasFocus())
                return;
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(bar, &escape);
        });
    });
}

} // namespace runtime
