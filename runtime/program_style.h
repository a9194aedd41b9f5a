#pragma once

#include <QCache>
#include <QFont>
#include <QHashFunctions>
#include <QProxyStyle>
#include <QStaticText>

namespace runtime {

// The desktop's style, with two changes of the program's own:
// - dialog buttons ask for no pictures, since the boxes show words only; that also spares
//   searching the icon theme for one, most of the cost of the first box;
// - under Fusion, a caption of one line is laid out once and then kept, so that drawing
//   it again only draws its letters.
class ProgramStyle final : public QProxyStyle {
    Q_OBJECT

public:
    // Draws over `base`, which it takes over.
    explicit ProgramStyle(QStyle *base);

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returned = nullptr) const override;
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette, bool enabled,
                      const QString &text, QPalette::ColorRole role = QPalette::NoRole) const override;

    // How many captions are laid out and kept.
    int keptCaptions() const { return static_cast<int>(captions_.count()); }

private:
    struct Caption {
        QStaticText text;
        qreal width = 0;   // as the line's advance
        qreal height = 0;  // ascent and descent
    };
    // The caption laid out in `font`, or nullptr where it is drawn as the base style does.
    const Caption *laidOut(const QString &text, const QFont &font, int flags, const QRect &rect) const;

    struct CaptionKey {
        QFont font;
        QString text;
        bool operator==(const CaptionKey &) const = default;
        friend size_t qHash(const CaptionKey &key, size_t seed = 0) { return qHashMulti(seed, key.font, key.text); }
    };

    bool fusion_ = false;
    mutable QCache<CaptionKey, Caption> captions_;
};

// Makes the application's style the program's, over the style the desktop or the user
// chose. Called once, before the first window is made.
void useProgramStyle();

} // namespace runtime
