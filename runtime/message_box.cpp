#include "runtime/message_box.h"

#include "generated/version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QWindow>

namespace runtime {

QMargins showMessageBox(QWidget *parent, const QString &prompt)
{
    // Not QMessageBox::information(): that one adds an icon.
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(quellary::product_name), prompt,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // Every window of the program carries its icon, the boxes shown before the main
    // window included.
    box.setWindowIcon(QApplication::windowIcon());
    // The OK button carries no picture: the program's style asks for none.
    box.setWindowModality(Qt::ApplicationModal);
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
