#include "runtime/message_box.h"

#include "generated/version.h"

#include <QMessageBox>
#include <QPushButton>

namespace runtime {

void showMessageBox(QWidget *parent, const QString &prompt)
{
    // Not QMessageBox::information(): that one adds an icon.
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(quellary::product_name), prompt,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // Some styles put a picture on the OK button too; the box shows words only.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace runtime
