#include "runtime/message_box.h"

#include "generated/version.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

namespace runtime {

namespace {

// Runs a task once the watched window has been painted, after that painting has reached
// the screen, so the task never delays the window's first appearance.
class AfterFirstPaint final : public QObject {
public:
    AfterFirstPaint(QWidget *window, std::function<void()> task) : QObject(window), task_(std::move(task))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && task_) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(task_, {}));
        }
        return false;
    }

private:
    std::function<void()> task_;
};

} // namespace

QMargins showMessageBox(QWidget *parent, const QString &prompt, std::function<void()> onceDrawn)
{
    // Not QMessageBox::information(): that one adds an icon.
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(quellary::product_name), prompt,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // Every window of the program carries its icon, the boxes shown before the main
    // window included.
    box.setWindowIcon(QApplication::windowIcon());
    // Some styles put a picture on the OK button too; the box shows words only.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.setWindowModality(Qt::ApplicationModal);
    if (onceDrawn)
        new AfterFirstPaint(&box, std::move(onceDrawn));
    // Read while the box is still on the screen, for Return and OK; Escape and the close
    // box are read as the box goes.
    QMargins frame;
    const auto readFrame = [&box, &frame] {
        if (const QWindow *window = box.windowHandle(); window && frame.isNull())
            frame = window->frameMargins();
    };
    QObject::connect(&box, &QMessageBox::buttonClicked, &box, readFrame);
    QObject::connect(&box, &QDialog::finished, &box, readFrame);
    box.exec();
    return frame;
}

} // namespace runtime
