#pragma once

#include "countdown.h"
#include "form_services.h"
#include "window_description.h"

#include <QMainWindow>
#include <QRect>

#include <functional>
#include <memory>

namespace runtime {

class TimerControl;

// The space a control leaves its caption when it is `box` large, and what the caption
// needs in the control's own font.
QSize captionRoom(const QWidget *control, const QSize &box);
QSize captionSize(const QWidget *control, const QString &caption);
// A box in twips as logical pixels, `scale` times the design density.
QRect twipsToPixels(int left, int top, int width, int height, double scale);

// A form built from its window description: one widget per control, each carrying the
// control's name as its object name, placed at its twips position in the client area.
// It dispatches the controls' events to the form's event procedures and carries out what
// those procedures ask of the runtime.
class FormWindow final : public QMainWindow, public FormServices {
    Q_OBJECT

public:
    FormWindow(const WindowDescription &description, EventTable events,
               std::unique_ptr<Countdown> countdown = makePreciseCountdown());
    ~FormWindow() override;

    // Raises Form_Load, then shows the window unless the program ended meanwhile.
    void load();

    bool ended() const { return ended_; }
    int exitStatus() const { return exit_status_; }

    // How many times the design's 12 twips per pixel the form is drawn: 1 at the design
    // density, more where the desktop's font needs larger boxes.
    double layoutScale() const { return scale_; }
    QRect toPixels(int left, int top, int width, int height) const;
    QWidget *clientArea() const { return client_; }

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

private:
    void buildMenus(const WindowDescription &description);
    QObject *createControl(const ControlDescription &control);
    void chooseLayoutScale(const WindowDescription &description);
    void placeControls(const WindowDescription &description);
    void setTabOrder(const WindowDescription &description);
    void raise(std::string_view control, Event event);
    void decodeHiddenPictures();
    // Stops all further events; false if the program had already ended.
    bool halt(int status);

    EventTable events_;
    AssignmentCheck check_;
    QWidget *client_ = nullptr;
    TimerControl *timer_ = nullptr;  // owned by client_
    std::unique_ptr<Countdown> countdown_;
    double scale_ = 1.0;
    bool ended_ = false;
    int exit_status_ = 0;
};

} // namespace runtime
