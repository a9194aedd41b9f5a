#pragma once

#include <QImage>
#include <QMessageBox>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

// What a test saw of a message box while it was open.
struct SeenBox {
    QString title;
    QString text;
    std::vector<QMessageBox::StandardButton> buttons;
    int buttonCount = 0;
    bool hasIcon = false;
    bool buttonHasIcon = false;
    Qt::WindowModality modality = Qt::NonModal;
    bool formVisible = false;  // whether the main window was on screen meanwhile
    QImage windowIcon;         // the icon its window gives the window system, 32 x 32
};

enum class Dismiss { Ok, Return, Escape, CloseBox };

// Watches for the next modal box, records it, runs `whileOpen` inside its event loop,
// then dismisses it the given way. The returned list fills as boxes come and go.
class BoxWatcher {
public:
    explicit BoxWatcher(Dismiss how = Dismiss::Ok, std::function<void()> whileOpen = {});
    ~BoxWatcher();
    const std::vector<SeenBox> &seen() const { return seen_; }

private:
    void poll();
    Dismiss how_;
    std::function<void()> whileOpen_;
    std::vector<SeenBox> seen_;
    QObject context_;  // its destruction cancels the polls still waiting
};
