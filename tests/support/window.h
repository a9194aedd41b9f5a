#pragma once

#include "runtime/form_window.h"
#include "runtime/message_box.h"
#include "tests/support/manual_clock.h"
#include "ui/form1_code.h"
#include "ui/form1_description.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The design's table of Form1, typed from the design and read by the page's tests too: the
// words and the twips a person must see, never taken from the program.
inline const QJsonObject &design()
{
    static const QJsonObject table = [] {
        QFile file(QStringLiteral(QUELLARY_FORM1_TABLE));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read the design's table %s", QUELLARY_FORM1_TABLE);
        return QJsonDocument::fromJson(file.readAll()).object();
    }();
    return table;
}
inline std::string text(const QJsonValue &value) { return value.toString().toStdString(); }
inline std::string designed(const char *group, const char *key) { return text(design()[group][key]); }

// What a test saw of a message box while it was open.
struct SeenBox {
    QString title, text;
    int buttons = 0;
    bool icon = false, buttonPicture = false, windowShown = false;
};

// Dismisses each modal box as it opens, with `key` (0: its close box), after running `inBox`
// inside it, and keeps what it saw.
class BoxWatcher {
public:
    explicit BoxWatcher(int key = Qt::Key_Return, std::function<void()> inBox = {})
        : key_(key), inBox_(std::move(inBox))
    {
        QTimer::singleShot(0, &context_, [this] { poll(); });
    }
    std::vector<SeenBox> seen;

private:
    void poll()
    {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            SeenBox s{box->windowTitle(), box->text(), int(box->buttons().size()), !box->iconPixmap().isNull()};
            for (QAbstractButton *button : box->buttons())
                s.buttonPicture = s.buttonPicture || !button->icon().isNull();
            for (QWidget *top : QApplication::topLevelWidgets())
                s.windowShown = s.windowShown || (qobject_cast<runtime::FormWindow *>(top) && top->isVisible());
            seen.push_back(s);
            if (inBox_)
                std::exchange(inBox_, {})();
            key_ ? QTest::keyClick(box, Qt::Key(key_)) : void(box->close());
        }
        QTimer::singleShot(5, &context_, [this] { poll(); });
    }
    int key_;
    std::function<void()> inBox_;
    QObject context_;  // its destruction cancels the polls still waiting
};

// Form1 built from its real description and procedures, on a clock moved by hand.
class Window : public testing::Test {
protected:
    explicit Window(const runtime::WindowDescription &description = ui::form1_description())
    {
        static const bool styled = (runtime::useWordsOnlyButtons(), true);
        (void)styled;
        auto countdown = std::make_unique<ManualCountdown>();
        clock = countdown.get();
        form = std::make_unique<runtime::FormWindow>(description, ui::form1_events(), std::move(countdown));
    }
    ~Window() override
    {
        // Ending asks Qt to leave every event loop, the next test's too: one turn clears it.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }
    void load()
    {
        BoxWatcher welcome;
        form->load();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    template <typename T = QWidget> T *control(const char *name) const
    {
        return form->clientArea()->findChild<T *>(QString::fromLatin1(name));
    }
    void click(const char *name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    bool shown(const char *name) const { return control(name)->isVisible(); }

    ManualCountdown *clock = nullptr;
    std::unique_ptr<runtime::FormWindow> form;
};
