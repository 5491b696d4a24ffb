#pragma once

// Times the window's steps (--timings) as a user lives them: from the start
// of the action to the window painted with its result; the longest time in
// the step that the window took no events while no progress dialog was on
// screen; and the longest time it took no events at all. A heartbeat timer
// marks the moments the event loop runs (the progress dialog runs it while
// a long action reports), and the dialog's coming and going are watched.

#include <QObject>
#include <QTimer>

#include <chrono>

namespace kavro::ui {

struct StepTimes {
    double ms = 0;
    double frozen_without_dialog_ms = 0;
    double frozen_ms = 0;
};

class StepClock : public QObject {
    Q_OBJECT
public:
    explicit StepClock(QObject* parent = nullptr);
    ~StepClock() override;
    void begin();
    // Call once the window is painted.
    StepTimes end();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The event loop ran at this moment; the dialog is `up` from now on.
    void mark(bool up);

    using Clock = std::chrono::steady_clock;
    QTimer heartbeat_;
    Clock::time_point start_;
    Clock::time_point last_;
    bool up_ = false; // a progress dialog is on screen
    double without_dialog_ = 0;
    double frozen_ = 0;
};

} // namespace kavro::ui
