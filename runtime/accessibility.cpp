#include "runtime/accessibility.h"

#include "runtime/picture_box.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace runtime {

// Says what it is given when it appears; draws nothing and takes no input. Screen readers
// speak a notification as it is shown, where they let a label's new text pass unsaid.
class Announcer final : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(0, 0, 1, 1);
        hide();
    }
};

namespace {

// Marks the widget whose accessible children are only its shown controls.
constexpr char shownChildrenOnly[] = "quellaryShownChildrenOnly";

// The controls a screen reader can meet under `client`: those shown, in the order the form
// lists them. A hidden control is left out rather than marked hidden, because a reader that
// met it hidden would keep it so: the toolkit reports "showing" when it appears, never
// "visible".
QList<QWidget *> shownControls(const QWidget *client)
{
    QList<QWidget *> shown;
    for (QObject *object : client->children()) {
        auto *control = qobject_cast<QWidget *>(object);
        if (control && !control->isWindow() && !qobject_cast<Announcer *>(control) &&
            control->isVisibleTo(client))
            shown.append(control);
    }
    return shown;
}

class ClientArea final : public QAccessibleWidget {
public:
    explicit ClientArea(QWidget *client) : QAccessibleWidget(client) {}

    int childCount() const override { return static_cast<int>(shownControls(widget()).size()); }

    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> shown = shownControls(widget());
        if (index < 0 || index >= shown.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(shown.at(index));
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        const auto *control = qobject_cast<const QWidget *>(child->object());
        return static_cast<int>(shownControls(widget()).indexOf(control));
    }
};

QAccessibleInterface *formInterface(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String(PictureBox::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (className == QLatin1String(Announcer::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (className == QLatin1String("QWidget") && widget->property(shownChildrenOnly).toBool())
        return new ClientArea(widget);
    return nullptr;
}

// Tells readers that follow the tree that a control came or went, as if it had been made
// or destroyed: they then look at it afresh instead of trusting what they saw before.
void reportShown(QWidget *control, bool shown)
{
    QAccessibleEvent event(control, shown ? QAccessible::ObjectCreated : QAccessible::ObjectDestroyed);
    QAccessible::updateAccessibility(&event);
}

} // namespace

void installAccessibleInterfaces()
{
    static bool installed = false;
    if (installed)
        return;
    // Factories installed later are asked first, so these come before the toolkit's own.
    QAccessible::installFactory(formInterface);
    installed = true;
}

void openFirstMenuOnF10(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    const QList<QAction *> menus = bar->actions();
    QMenu *menu = menus.isEmpty() ? nullptr : menus.first()->menu();
    if (!menu)
        return;
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), window);
    QObject::connect(f10, &QShortcut::activated, bar, [bar, menu] {
        bar->setActiveAction(menu->menuAction());
        // With an item chosen, Return works at once and the reader names where the user is.
        if (!menu->actions().isEmpty())
            menu->setActiveAction(menu->actions().first());
    });
    // Escape closes the menu and goes straight back to the window, where the toolkit
    // would stop on the menu bar and wait for a second Escape.
    QObject::connect(menu, &QMenu::aboutToHide, bar, [bar] {
        QTimer::singleShot(0, bar, [bar] {
            if (!bar->hasFocus())
                return;
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(bar, &escape);
        });
    });
}

ProcedurePresenter::ProcedurePresenter(QWidget *client, std::vector<QWidget *> focusOrder)
    : QObject(client), client_(client), focusOrder_(std::move(focusOrder)), announcer_(new Announcer(client))
{
    announcer_->setObjectName(QStringLiteral("announcer"));
    client_->setProperty(shownChildrenOnly, true);
    client_->window()->installEventFilter(this);
    // A reader may have asked for the client area before it was marked: ask again.
    if (QAccessibleInterface *cached = QAccessible::queryAccessibleInterface(client_);
        cached && !dynamic_cast<ClientArea *>(cached))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(cached));
}

ProcedurePresenter::Snapshot ProcedurePresenter::before()
{
    // The news a button carried is old once the next procedure starts.
    if (described_) {
        described_->setAccessibleDescription(QString());
        described_.clear();
    }
    captioned_.clear();
    Snapshot snapshot;
    for (QObject *object : client_->children()) {
        auto *control = qobject_cast<QWidget *>(object);
        if (!control || control == announcer_)
            continue;
        const auto *label = qobject_cast<QLabel *>(control);
        snapshot.controls.push_back({control, control->isVisibleTo(client_), label ? label->text() : QString()});
    }
    snapshot.focus = client_->window()->focusWidget();
    return snapshot;
}

void ProcedurePresenter::after(const Snapshot &snapshot)
{
    QStringList news;
    // A new message first, then what came into view.
    for (const Control &control : snapshot.controls) {
        const auto *label = qobject_cast<const QLabel *>(control.widget.data());
        if (!label || !label->isVisibleTo(client_) || label->text().isEmpty())
            continue;
        if (label->text() != control.text || std::ranges::find(captioned_, label) != captioned_.end())
            news.append(label->text());
    }
    for (const Control &control : snapshot.controls) {
        if (!control.widget)
            continue;
        const bool shown = control.widget->isVisibleTo(client_);
        if (shown == control.shown)
            continue;
        reportShown(control.widget, shown);
        // Only controls named for a reader (the pictures) say what they show; buttons are
        // met by the focus.
        if (shown && !control.widget->accessibleName().isEmpty())
            news.append(control.widget->accessibleName());
    }
    const QString spoken = news.join(QLatin1Char(' '));

    QWidget *lost = snapshot.focus;
    const bool focusHidden = lost && !lost->isVisibleTo(client_) &&
                             std::ranges::find(focusOrder_, lost) != focusOrder_.end();
    if (focusHidden) {
        const auto next = std::ranges::find_if(focusOrder_, [this](QWidget *button) {
            return button->isVisibleTo(client_) && button->isEnabled();
        });
        if (next != focusOrder_.end()) {
            // Described before it is focused, so that the reader says both together.
            if (!spoken.isEmpty()) {
                (*next)->setAccessibleDescription(spoken);
                described_ = *next;
            }
            // The focus moved without a key of the user's: draw its frame, so that one who
            // sees the screen finds it too.
            client_->window()->setAttribute(Qt::WA_KeyboardFocusChange);
            (*next)->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    if (!spoken.isEmpty())
        announce(spoken);
}

bool ProcedurePresenter::eventFilter(QObject *watched, QEvent *event)
{
    // Back from a message box, the window's focus comes back before the window is reported
    // active, and a screen reader that takes the window's activation last names only the
    // window. Naming the focused button once more, after the activation, tells the user
    // where they are.
    if (watched == client_->window() && event->type() == QEvent::WindowActivate) {
        QTimer::singleShot(0, this, [this] {
            QWidget *focus = client_->window()->focusWidget();
            if (focus && focus->hasFocus()) {
                QAccessibleEvent focused(focus, QAccessible::Focus);
                QAccessible::updateAccessibility(&focused);
            }
        });
    }
    return false;
}

QString ProcedurePresenter::lastNotification() const
{
    return announcer_->isVisibleTo(client_) ? announcer_->accessibleName() : QString();
}

void ProcedurePresenter::announce(const QString &news)
{
    // Readers speak a notification when it appears: hide it first, so that it appears anew.
    announcer_->hide();
    announcer_->setAccessibleName(news);
    announcer_->show();
}

} // namespace runtime

#include "accessibility.moc"
