#include "tests/support/message_boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QTest>
#include <QTimer>
#include <QWindow>

BoxWatcher::BoxWatcher(Dismiss how, std::function<void()> whileOpen)
    : how_(how), whileOpen_(std::move(whileOpen))
{
    QTimer::singleShot(0, &context_, [this] { poll(); });
}

BoxWatcher::~BoxWatcher() = default;

void BoxWatcher::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box) {
        QTimer::singleShot(5, &context_, [this] { poll(); });
        return;
    }
    SeenBox seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.buttonCount = static_cast<int>(box->buttons().size());
    for (QAbstractButton *button : box->buttons()) {
        seen.buttons.push_back(box->standardButton(button));
        seen.buttonHasIcon = seen.buttonHasIcon || !button->icon().isNull();
    }
    seen.hasIcon = box->icon() != QMessageBox::NoIcon || !box->iconPixmap().isNull();
    seen.modality = box->windowModality();
    if (const QWindow *window = box->windowHandle())
        seen.windowIcon = window->icon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow *>(top))
            seen.formVisible = seen.formVisible || top->isVisible();
    }
    seen_.push_back(seen);
    if (whileOpen_)
        whileOpen_();
    switch (how_) {
    case Dismiss::Ok:
        box->buttons().front()->click();
        break;
    case Dismiss::Return:
        QTest::keyClick(box, Qt::Key_Return);
        break;
    case Dismiss::Escape:
        QTest::keyClick(box, Qt::Key_Escape);
        break;
    case Dismiss::CloseBox:
        box->close();
        break;
    }
    QTimer::singleShot(5, &context_, [this] { poll(); });
}
