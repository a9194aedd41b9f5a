#pragma once

#include "runtime/api/window_description.h"
#include "runtime/core/form.h"
#include "runtime/countdown.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

namespace runtime {

// A form built from its window description: it delivers the controls' events to the form and
// draws what the form's procedures change. The window can be resized, maximised and made full
// screen; the whole form grows with it by one factor and sits in its middle.
class FormWindow final : public QMainWindow, private Surface {
    Q_OBJECT

public:
    FormWindow(const WindowDescription &description, EventTable events,
               std::unique_ptr<Countdown> countdown = makePreciseCountdown());
    ~FormWindow() override;

    // Raises Form_Load, then shows the window unless the program ended meanwhile.
    void load();

    const Form &form() const { return form_; }
    // How many times the design's 12 twips per pixel the form is drawn.
    double layoutScale() const { return scale_; }
    QWidget *clientArea() const { return client_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    class Stage;
    // The form at the largest scale at which it fits the window, in its middle.
    void arrange();
    QWidget *control(std::string_view name) const;

    void show_control(std::string_view control, bool visible) override;
    void set_caption(std::string_view control, std::string_view caption) override;
    void start_clock(int ms) override;
    void stop_clock() override;
    std::string focused() const override;
    void focus(std::string_view control, std::string_view news) override;
    void announce(std::string_view news) override;
    void message_box(std::string_view prompt) override;
    void quit(int status) override;

    const WindowDescription description_;
    std::unique_ptr<Countdown> countdown_;
    Form form_;
    QWidget *client_ = nullptr;
    QPointer<QWidget> described_;  // the button that carries news in its description
    double captionScale_ = 1.0;  // at which the captions fit in the desktop's font
    double ownScale_ = 1.0;      // the window's own size: the captions' scale, or what the screen holds
    double leastScale_ = 1.0;    // the smallest the form may become
    double scale_ = 0.0;         // as it is drawn now
};

} // namespace runtime
