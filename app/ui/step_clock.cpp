#include "app/ui/step_clock.h"

#include <QApplication>
#include <QEvent>
#include <QProgressDialog>

#include <algorithm>

namespace kavro::ui {

namespace {
double ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}
} // namespace

StepClock::StepClock(QObject* parent) : QObject(parent) {
    heartbeat_.setInterval(5);
    connect(&heartbeat_, &QTimer::timeout, this, [this] { mark(up_); });
    qApp->installEventFilter(this);
}

StepClock::~StepClock() {
    qApp->removeEventFilter(this);
}

bool StepClock::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
        qobject_cast<QProgressDialog*>(watched))
        mark(event->type() == QEvent::Show);
    return false;
}

void StepClock::begin() {
    start_ = last_ = Clock::now();
    up_ = false;
    without_dialog_ = frozen_ = 0;
    heartbeat_.start();
}

void StepClock::mark(bool up) {
    const auto now = Clock::now();
    const double gap = ms(now - last_);
    frozen_ = std::max(frozen_, gap);
    if (!up_) without_dialog_ = std::max(without_dialog_, gap);
    last_ = now;
    up_ = up;
}

StepTimes StepClock::end() {
    mark(up_);
    heartbeat_.stop();
    return {ms(Clock::now() - start_), without_dialog_, frozen_};
}

} // namespace kavro::ui
