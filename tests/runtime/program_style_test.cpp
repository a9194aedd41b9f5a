#include "runtime/program_style.h"
#include "ui/form1_description.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Fusion, except that it asks for pictures on dialog buttons, as some desktops do.
class PicturesOnButtons : public QProxyStyle {
public:
    PicturesOnButtons() : QProxyStyle(QStyleFactory::create(QStringLiteral("fusion"))) {}
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

QImage drawn(const QStyle &style, const QString &text, const QFont &font, int flags, QSize box, qreal ratio,
             bool enabled)
{
    QImage image(QSize(box.width() + 20, box.height() + 20) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    // Off the origin, as a control is inside its window.
    painter.translate(7, 5);
    style.drawItemText(&painter, QRect(QPoint(3, 2), box), flags, QPalette(Qt::lightGray), enabled, text,
                       QPalette::WindowText);
    return image;
}

} // namespace

TEST(ProgramStyle, CaptionsLookExactlyAsFusionDrawsThem)
{
    QStringList captions = {QStringLiteral("DONE! Your card is gone!"), QStringLiteral("Calculating..... Please wait!"),
                            QStringLiteral("Fish & chips"), QStringLiteral("two\tcolumns")};
    for (const auto &control : ui::form1_description().controls)
        captions << QString::fromUtf8(control.caption.data(), qsizetype(control.caption.size()));
    for (const auto &menu : ui::form1_description().menus)
        captions << QString::fromUtf8(menu.caption.data(), qsizetype(menu.caption.size()));

    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("fusion")));
    const runtime::ProgramStyle program(QStyleFactory::create(QStringLiteral("fusion")));
    QFont enlarged = QApplication::font();
    enlarged.setPointSizeF(enlarged.pointSizeF() * 1.58);
    // As labels, buttons and menu titles ask for them.
    const int label = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs | Qt::TextForceLeftToRight;
    const int button = Qt::AlignCenter | Qt::TextShowMnemonic;
    const int menu = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextDontClip | Qt::TextSingleLine;

    for (const QFont &font : {QApplication::font(), QFont(QStringLiteral("Arial"), 12), enlarged}) {
        const QSize fits = QFontMetrics(font).size(0, QStringLiteral("Mg")) * 2;
        for (const QString &caption : captions) {
            if (caption.isEmpty())
                continue;
            const QSize wide(QFontMetrics(font).horizontalAdvance(caption) + 9, fits.height());
            // Twice each: the second time the kept caption is drawn.
            for (int round = 0; round < 2; ++round) {
                for (const qreal ratio : {1.0, 1.5, 2.0, 3.0}) {
                    for (const int flags : {label, button, menu}) {
                        for (const QSize box : {wide, QSize(wide.width() / 2, fits.height() / 3)}) {
                            for (const bool enabled : {true, false}) {
                                const QImage expected = drawn(*fusion, caption, font, flags, box, ratio, enabled);
                                EXPECT_EQ(drawn(program, caption, font, flags, box, ratio, enabled), expected)
                                    << qPrintable(caption) << " in " << qPrintable(font.toString()) << " at " << ratio
                                    << "x, flags " << flags << ", " << box.width() << "x" << box.height()
                                    << (enabled ? "" : ", disabled") << (round ? ", kept" : "");
                            }
                        }
                    }
                }
            }
        }
    }
    // The captions that fit were drawn from their layouts, not by Fusion.
    EXPECT_GE(program.keptCaptions(), 3 * 12);
}

TEST(ProgramStyle, DialogButtonsCarryNoPictureUnderAnyStyle)
{
    const auto okIcon = [](QStyle *style) {
        QDialogButtonBox buttons;
        buttons.setStyle(style);
        buttons.setStandardButtons(QDialogButtonBox::Ok);
        return buttons.button(QDialogButtonBox::Ok)->icon();
    };
    PicturesOnButtons pictures;
    ASSERT_FALSE(okIcon(&pictures).isNull()) << "the desktop's style here puts no picture on OK";
    runtime::ProgramStyle program(new PicturesOnButtons);
    EXPECT_TRUE(okIcon(&program).isNull());
}

TEST(ProgramStyle, TheStyleTheUserChoseStaysUnderneath)
{
    QApplication::setStyle(QStringLiteral("windows"));
    runtime::useProgramStyle();
    const auto *program = qobject_cast<const runtime::ProgramStyle *>(QApplication::style());
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->baseStyle()->name().toLower(), QStringLiteral("windows"));
}
