#pragma once

// Times the window's steps (--timings) as a user lives them: from the start
// of the action to the window painted with its result, and the longest time
// in the step that the window took no events while no progress dialog was
// on screen, measured by a heartbeat timer that only fires when the event
// loop runs (the progress dialog runs it while a long action reports).

#include <QObject>
#include <QTimer>

#include <chrono>

namespace kavro::ui {

class StepClock : public QObject {
    Q_OBJECT
public:
    explicit StepClock(QObject* parent = nullptr);
    void begin();
    // Call once the window is painted; milliseconds since begin, and the
    // longest frozen stretch without a progress dialog.
    std::pair<double, double> end();

private:
    void beat();

    using Clock = std::chrono::steady_clock;
    QTimer heartbeat_;
    Clock::time_point start_;
    Clock::time_point last_;
    bool last_in_dialog_ = false;
    double longest_ = 0;
};

} // namespace kavro::ui
