#include "runtime/accessibility.h"

#include "runtime/picture_box.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

namespace runtime {

namespace {

QPointer<QWidget> shownOnly;  // the client area

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
// Qt 6.4 has no announcement event: a notification says what it is given as it appears, as
// screen readers speak one when it is shown, where they let a label's new text pass unsaid.
class Announcer final : public QWidget {
public:
    explicit Announcer(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(0, 0, 1, 1);
    }
};
#endif

// The form's own controls on screen: they carry their names, the announcer none.
QList<QWidget *> shownControls(const QWidget *client)
{
    QList<QWidget *> shown;
    for (QObject *object : client->children()) {
        auto *control = qobject_cast<QWidget *>(object);
        if (control && control->isVisibleTo(client) && !control->objectName().isEmpty())
            shown.append(control);
    }
    return shown;
}

class ClientArea final : public QAccessibleWidget {
public:
    explicit ClientArea(QWidget *client) : QAccessibleWidget(client) {}

    int childCount() const override { return int(shownControls(widget()).size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> shown = shownControls(widget());
        return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown.at(index))
                                                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(shownControls(widget()).indexOf(qobject_cast<QWidget *>(child->object()))) : -1;
    }
};

QAccessibleInterface *formInterface(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (qobject_cast<PictureBox *>(object))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    if (dynamic_cast<Announcer *>(object))
        return new QAccessibleWidget(widget, QAccessible::Notification);
#endif
    if (widget && widget == shownOnly)
        return new ClientArea(widget);
    return nullptr;
}

} // namespace

void installAccessibleInterfaces(QWidget *client)
{
    // Factories installed later are asked first, so this one comes before the toolkit's own.
    if (!shownOnly)
        QAccessible::installFactory(formInterface);
    shownOnly = client;
    // A reader may have met the client area before it was marked: it is asked again.
    if (QAccessibleInterface *met = QAccessible::queryAccessibleInterface(client); !dynamic_cast<ClientArea *>(met))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(met));
}

void reportShown(QWidget *control, bool shown)
{
    QAccessibleEvent event(control, shown ? QAccessible::ObjectCreated : QAccessible::ObjectDestroyed);
    QAccessible::updateAccessibility(&event);
}

void reportFocus(QWidget *focused)
{
    QAccessibleEvent event(focused, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

void announce(QWidget *client, const QString &news)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(client, news);
    QAccessible::updateAccessibility(&event);
#else
    static QPointer<Announcer> announcer;
    if (!announcer || announcer->parent() != client)
        announcer = new Announcer(client);
    // Hidden first, so that it appears anew.
    announcer->hide();
    announcer->setAccessibleName(news);
    announcer->show();
#endif
}

} // namespace runtime
