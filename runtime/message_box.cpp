#include "runtime/message_box.h"

#include "generated/version.h"

#include <QApplication>
#include <QLayout>
#include <QMessageBox>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QWindow>

namespace runtime {

namespace {

class WordsOnlyButtons final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

bool demandsSize(Qt::WindowStates states)
{
    return states & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

// Qt's own Wayland title bar (6.4 and 6.8 alike) has maximise and minimise buttons on every
// window, whatever its flags, and a compositor disconnects a maximised window that keeps its
// own size. A box
// is free to take any size from the moment it asks for such a state, its text in the
// middle, and has its own size back once the window system has left the state: until then
// any other size is an error.
class Box final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

    int exec() override
    {
        winId();
        connect(windowHandle(), &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
            if (!demandsSize(state) || own_.isValid())
                return;
            own_ = size();
            layout()->setAlignment(Qt::AlignCenter);
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        });
        return QMessageBox::exec();
    }

protected:
    void changeEvent(QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange && own_.isValid() && !demandsSize(windowState())) {
            layout()->setAlignment(Qt::Alignment());
            setFixedSize(own_);
            own_ = QSize();
        }
        QMessageBox::changeEvent(event);
    }

private:
    QSize own_;
};

} // namespace

void showMessageBox(QWidget *parent, const QString &prompt)
{
    // Not QMessageBox::information(): that one adds an icon.
    Box box(QMessageBox::NoIcon, QString::fromUtf8(quellary::product_name), prompt, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowIcon(QApplication::windowIcon());
    box.setWindowModality(Qt::ApplicationModal);
    // A box has one size: no minimise or maximise button, where the window system asks.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    box.exec();
}

void useWordsOnlyButtons()
{
    // Over a new style of the same name, so that a style the user chose (-style,
    // QT_STYLE_OVERRIDE) stays.
    QApplication::setStyle(new WordsOnlyButtons(QStyleFactory::create(QApplication::style()->name())));
}

} // namespace runtime
