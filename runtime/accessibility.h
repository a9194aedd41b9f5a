#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class QMainWindow;
class QWidget;

namespace runtime {

// Tells assistive technology what the form's own controls are: a picture is an image named
// after what it shows, and the client area lists only the controls on screen, so that a
// screen reader never holds on to one it met while it was hidden. Needs a QApplication;
// calls after the first do nothing.
void installAccessibleInterfaces();

// F10 opens the menu bar's first menu with its first item chosen: no caption has an access
// key, and F10 is the desktop's own key for the menu bar.
void openFirstMenuOnF10(QMainWindow *window);

// Tells a screen reader user, and anyone on the keyboard, what an event procedure changed.
// Controls that appear or disappear are told apart as such; a new message, and the name of
// each picture that came into view, are spoken; and when the procedure hid the button that
// had the keyboard focus, the focus goes to the first shown button in `focusOrder`, which
// then carries the news in its description, so that both are heard as one. When the window
// is active again after a message box, the focused button is named again.
class ProcedurePresenter final : public QObject {
    Q_OBJECT

public:
    ProcedurePresenter(QWidget *client, std::vector<QWidget *> focusOrder);

    struct Control {
        QPointer<QWidget> widget;
        bool shown = false;
        QString text;  // labels only
    };
    struct Snapshot {
        std::vector<Control> controls;
        QPointer<QWidget> focus;
    };

    // What the form looks like before a procedure runs.
    Snapshot before();
    // Presents what the procedure changed since `snapshot`.
    void after(const Snapshot &snapshot);
    // A procedure set a caption: its text is news even when it is the same as before, as
    // on a second press during the countdown.
    void captionSet(QObject *control) { captioned_.push_back(control); }

    // What was last spoken as a notification, and the control that speaks it.
    QString lastNotification() const;
    QWidget *announcer() const { return announcer_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void announce(const QString &news);

    QWidget *client_;
    std::vector<QWidget *> focusOrder_;
    QWidget *announcer_;
    QPointer<QWidget> described_;  // the button whose description carries the latest news
    std::vector<QObject *> captioned_;  // controls whose caption the running procedure set
};

} // namespace runtime
