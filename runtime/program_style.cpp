#include "runtime/program_style.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyleFactory>

namespace runtime {

namespace {

// What a laid-out caption can be drawn with: left-aligned or centred, at the top or the
// middle, and with flags that change nothing for one line without '&' or tabs.
constexpr int plain_flags = Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignTop | Qt::AlignVCenter |
                            Qt::AlignAbsolute | Qt::TextSingleLine | Qt::TextDontClip |
                            Qt::TextShowMnemonic | Qt::TextHideMnemonic | Qt::TextForceLeftToRight |
                            Qt::TextExpandTabs;

bool plainLine(const QString &text)
{
    for (const QChar c : text) {
        if (c == u'&' || c == u'\n' || c == u'\t' || c == QChar::LineSeparator || c.isNonCharacter())
            return false;
    }
    return !text.isRightToLeft();
}

} // namespace

ProgramStyle::ProgramStyle(QStyle *base)
    : QProxyStyle(base), captions_(64)
{
    // Fusion draws an enabled caption as plain text in the colour of its role, which is
    // what a laid-out caption reproduces; other styles draw theirs themselves.
    fusion_ = baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

int ProgramStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                            QStyleHintReturn *returned) const
{
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returned);
}

const ProgramStyle::Caption *ProgramStyle::laidOut(const QString &text, const QFont &font, int flags,
                                                    const QRect &rect) const
{
    if (!fusion_ || (flags & ~plain_flags) || !plainLine(text))
        return nullptr;
    const CaptionKey key{font, text};
    Caption *caption = captions_.object(key);
    if (!caption) {
        caption = new Caption;
        caption->text = QStaticText(text);
        caption->text.setTextFormat(Qt::PlainText);
        const QFontMetricsF metrics(font);
        caption->width = metrics.horizontalAdvance(text);
        caption->height = metrics.ascent() + metrics.descent();
        captions_.insert(key, caption);
    }
    // One that does not fit would be clipped to its box; the base style does that.
    if (caption->width > rect.width() || caption->height > rect.height())
        return nullptr;
    return caption;
}

void ProgramStyle::drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette,
                                bool enabled, const QString &text, QPalette::ColorRole role) const
{
    // Centred on a scaled device, a laid-out caption would land a fraction of a device pixel
    // away from where the base style puts it.
    const bool placeable =
        !(flags & Qt::AlignHCenter) || painter->deviceTransform().type() <= QTransform::TxTranslate;
    const Caption *caption =
        enabled && placeable && !text.isEmpty() ? laidOut(text, painter->font(), flags, rect) : nullptr;
    if (!caption) {
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, role);
        return;
    }
    // Placed as QPainter::drawText places one line in a box.
    QPointF at(rect.topLeft());
    if (flags & Qt::AlignHCenter)
        at.rx() += (rect.width() - caption->width) / 2;
    if (flags & Qt::AlignVCenter)
        at.ry() += (rect.height() - caption->height) / 2;
    const QPen pen = painter->pen();
    if (role != QPalette::NoRole)
        painter->setPen(QPen(palette.brush(role), pen.widthF()));
    painter->drawStaticText(at, caption->text);
    painter->setPen(pen);
}

void useProgramStyle()
{
    // A new one by name, so that a style the user chose (-style, QT_STYLE_OVERRIDE) stays;
    // the application's current one goes as the new one takes its place.
    QApplication::setStyle(new ProgramStyle(QStyleFactory::create(QApplication::style()->name())));
}

} // namespace runtime
