#pragma once

#include "runtime/api/form_services.h"
#include "runtime/api/window_description.h"
#include "runtime/countdown.h"

#include <QMainWindow>
#include <QMargins>

#include <functional>
#include <memory>

namespace runtime {

class ProcedurePresenter;
class TimerControl;

// A form built from its window description. It dispatches the controls' events to the
// form's event procedures and carries out what those procedures ask of the runtime.
class FormWindow final : public QMainWindow, public FormServices {
    Q_OBJECT

public:
    FormWindow(const WindowDescription &description, EventTable events,
               std::unique_ptr<Countdown> countdown = makePreciseCountdown());
    ~FormWindow() override;

    // Raises Form_Load, then shows the window unless the program ended meanwhile.
    void load();

    bool ended() const { return ended_; }
    int exitStatus() const { return exitStatus_; }

    // How many times the design's 12 twips per pixel the form is drawn.
    double layoutScale() const { return scale_; }
    QWidget *clientArea() const { return client_; }
    // Tells assistive technology and the keyboard focus what each procedure changed.
    ProcedurePresenter *presenter() const { return presenter_; }

    // Consulted before every property assignment; a status other than Ok is reported as the
    // assignment's own. Lets a test make any step of any procedure fail.
    using AssignmentCheck = std::function<trick::Status(const trick::Assignment &)>;
    void setAssignmentCheck(AssignmentCheck check) { check_ = std::move(check); }

    trick::Status assign(const trick::Assignment &assignment) override;
    void raise_run_time_error(const trick::Assignment &assignment, trick::Status status) override;
    void message_box(std::string_view prompt) override;
    void end() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // Runs the event procedure for the control's event, if the form has one.
    void dispatch(std::string_view control, Event event);
    // Starts making the pictures of the shown (or the hidden) image controls.
    void preloadPictures(bool hidden);
    // Does now, before the first box, what showing the form would otherwise do once the box
    // is dismissed and the user is waiting for the form.
    void prepareFirstShow();
    // Makes the form smaller where the screen's free area cannot hold it at its scale.
    void fitToScreen();
    // Stops all further events; false if the program had already ended.
    bool halt(int status);

    WindowDescription description_;
    EventTable events_;
    AssignmentCheck check_;
    QWidget *client_ = nullptr;
    TimerControl *timer_ = nullptr;  // owned by client_
    ProcedurePresenter *presenter_ = nullptr;  // owned by client_
    int running_ = 0;  // procedures under way, one inside another while a box is open
    double scale_ = 1.0;
    double captionScale_ = 1.0;
    QMargins frame_;  // the window system's frame, as it framed the welcome box
    bool ended_ = false;
    int exitStatus_ = 0;
};

} // namespace runtime
