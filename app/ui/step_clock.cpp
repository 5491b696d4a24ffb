#include "app/ui/step_clock.h"

#include <QApplication>
#include <QProgressDialog>

#include <algorithm>

namespace kavro::ui {

namespace {
double ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}
bool progress_shown() {
    const auto* dialog = qobject_cast<const QProgressDialog*>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible();
}
} // namespace

StepClock::StepClock(QObject* parent) : QObject(parent) {
    heartbeat_.setInterval(5);
    connect(&heartbeat_, &QTimer::timeout, this, [this] { beat(); });
}

void StepClock::begin() {
    start_ = last_ = Clock::now();
    last_in_dialog_ = false;
    longest_ = 0;
    heartbeat_.start();
}

void StepClock::beat() {
    const auto now = Clock::now();
    const bool in_dialog = progress_shown();
    // A stretch counts as frozen unless the dialog was up at both its ends.
    if (!(in_dialog && last_in_dialog_)) longest_ = std::max(longest_, ms(now - last_));
    last_ = now;
    last_in_dialog_ = in_dialog;
}

std::pair<double, double> StepClock::end() {
    beat();
    heartbeat_.stop();
    return {ms(Clock::now() - start_), longest_};
}

} // namespace kavro::ui
