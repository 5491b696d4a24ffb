#pragma once

// A modal progress dialog for loads and analyses that take longer than a
// moment: percent done, lines per second and the file, with Cancel. It comes
// up 0.4 s into the work, so that no action holds the window for more than
// half a second without it. While it shows, the rest of the window takes no
// input, so no handler can start inside another.

#include "core/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

#include <string>

namespace kavro::ui {

class QtProgress : public ProgressSink {
public:
    explicit QtProgress(QWidget* owner) : owner_(owner) {}
    ~QtProgress() override;
    void progress(std::uint64_t done, std::uint64_t total, std::string_view what) override;
    void finished() override;
    static constexpr qint64 kDelayMs = 400;

private:
    void show_progress(std::uint64_t done, std::uint64_t total, std::string_view what, qint64 ms);

    QWidget* owner_;
    QPointer<QProgressDialog> dialog_;
    QElapsedTimer timer_;
    bool active_ = false;
    std::uint64_t reports_ = 0;
    qint64 updated_ms_ = -1; // when the dialog last showed new figures
    std::string shown_what_;
};

} // namespace kavro::ui
