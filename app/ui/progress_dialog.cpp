#include "app/ui/progress_dialog.h"

#include "app/ui/table_model.h"
#include "core/error.h"

#include <QCoreApplication>
#include <QTimer>

namespace kavro::ui {

QtProgress::~QtProgress() {
    delete dialog_;
}

void QtProgress::progress(std::uint64_t done, std::uint64_t total, std::string_view what) {
    if (!active_) {
        // A dialog still up belongs to the part of the same user action
        // that just ended (the analysis, before the window draws its
        // results): it goes on showing this part.
        if (dialog_ && dialog_->wasCanceled()) {
            dialog_->hide();
            dialog_->deleteLater();
            dialog_ = nullptr;
        }
        active_ = true;
        reports_ = 0;
        updated_ms_ = -1;
        timer_.start();
    }
    ++reports_;
    const qint64 ms = timer_.elapsed();
    if (!dialog_ && ms < kDelayMs) return;
    if (!dialog_) {
        dialog_ = new QProgressDialog(owner_);
        dialog_->setWindowTitle("Kavro");
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setRange(0, 1000);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setCancelButtonText("Cancel");
        dialog_->setMinimumWidth(420);
    }
    // The dialog is redrawn ten times a second at most: a redraw costs
    // about as much as the 16384 lines between two reports.
    const bool fresh = what != shown_what_;
    if (fresh || updated_ms_ < 0 || ms - updated_ms_ >= 100) {
        updated_ms_ = ms;
        shown_what_.assign(what);
        show_progress(done, total, what, ms);
    }
    QCoreApplication::processEvents();
    if (dialog_ && dialog_->wasCanceled()) throw Error("Cancelled by user");
}

void QtProgress::show_progress(std::uint64_t done, std::uint64_t total, std::string_view what,
                               qint64 ms) {
    // progress_step reports every 16384th line.
    const double lines = static_cast<double>(reports_) * 16384.0;
    const double rate = ms > 0 ? lines * 1000.0 / static_cast<double>(ms) : 0;
    const int permille =
        total ? static_cast<int>(1000.0 * static_cast<double>(done) / static_cast<double>(total))
              : 0;
    // Whole percents, as the bar below shows them.
    dialog_->setLabelText(QString("%1\n%2% of lines, %3 lines per second")
                              .arg(to_qstring(what))
                              .arg(permille / 10)
                              .arg(QLocale().toString(static_cast<qlonglong>(rate))));
    dialog_->setValue(std::min(permille, 1000));
}

void QtProgress::finished() {
    active_ = false;
    if (!dialog_) return;
    // Closed once the window takes events again, unless the next part of
    // the same action reports first: one dialog for the whole wait.
    QTimer::singleShot(0, dialog_, [this] {
        if (active_ || !dialog_) return;
        dialog_->hide();
        dialog_->deleteLater();
        dialog_ = nullptr;
    });
}

} // namespace kavro::ui
