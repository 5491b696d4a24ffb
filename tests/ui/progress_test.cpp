// The progress dialog of long actions: it stays away for the first moment
// (QtProgress::kDelayMs, under half a second), then shows the file, the
// percent done and the rate, modal; Cancel ends the action as an error
// does, with "Cancelled by user".

#include "app/form.h"
#include "app/ui/progress_dialog.h"
#include "core/progress.h"
#include "ui_app.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

using namespace kavro;
using namespace kavro::ui;

TEST(ProgressDialog, ShowsAfterAMomentAndCancelEndsTheActionWithItsMessage) {
    test_app();
    QWidget owner;
    QtProgress sink(&owner);
    TForm1 form;
    RecordingMessageBox messages;
    form.message_box = &messages;
    form.progress = &sink;

    bool seen_too_early = false;
    QString label;
    Qt::WindowModality modality = Qt::NonModal;
    // The user presses Cancel a little after the dialog came up; the timer
    // fires while the dialog takes the window's events.
    QTimer::singleShot(800, &owner, [&] {
        if (auto* dialog = owner.findChild<QProgressDialog*>()) {
            label = dialog->labelText();
            modality = dialog->windowModality();
            dialog->cancel();
        }
    });
    std::uint64_t lines = 0;
    const std::uint64_t total = 1'000'000'000;
    QElapsedTimer clock;
    clock.start();
    const bool ok = form.run([&] {
        while (clock.elapsed() < 10'000) {
            progress_step(lines, total, "big.trc");
            if (++lines % 16384 == 0) {
                QThread::msleep(10);
                if (clock.elapsed() < QtProgress::kDelayMs - 50 &&
                    owner.findChild<QProgressDialog*>())
                    seen_too_early = true;
            }
        }
    });

    EXPECT_FALSE(ok);
    EXPECT_LT(clock.elapsed(), 5'000) << "Cancel did not end the action";
    EXPECT_FALSE(seen_too_early);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Cancelled by user"});
    EXPECT_EQ(form.last_error(), "Cancelled by user");
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_TRUE(label.contains("big.trc")) << label.toStdString();
    EXPECT_TRUE(label.contains("% of lines")) << label.toStdString();
    EXPECT_TRUE(label.contains("lines per second")) << label.toStdString();
    // The action is over: its dialog goes once the window takes events
    // again, and the next action starts afresh.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(owner.findChild<QProgressDialog*>(), nullptr);
    lines = 0;
    EXPECT_TRUE(form.run([&] {
        for (int i = 0; i < 3 * 16384; ++i) progress_step(lines++, total, "small.trc");
    }));
    EXPECT_EQ(owner.findChild<QProgressDialog*>(), nullptr);
}

// The window draws the results of a long action (a timeline of a hundred
// thousand series) after the action: that drawing goes on in the same
// dialog, with no moment without one in between.
TEST(ProgressDialog, TheDrawingAfterAnActionGoesOnInItsDialog) {
    test_app();
    QWidget owner;
    QtProgress sink(&owner);
    TForm1 form;
    RecordingMessageBox messages;
    form.message_box = &messages;
    form.progress = &sink;
    const std::uint64_t total = 1'000'000'000;
    std::uint64_t lines = 0;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(form.run([&] {
        while (clock.elapsed() < QtProgress::kDelayMs + 200) progress_step(lines++, total, "a.trc");
    }));
    QPointer<QProgressDialog> dialog = owner.findChild<QProgressDialog*>();
    ASSERT_NE(dialog, nullptr);
    bool same_dialog = true;
    {
        ProgressScope drawing(&sink);
        for (std::uint64_t i = 0; i < 5 * 16384; ++i) {
            progress_step(i, 5 * 16384, "Drawing the chart");
            if (i % 16384 == 0 && owner.findChild<QProgressDialog*>() != dialog.data())
                same_dialog = false;
        }
        EXPECT_TRUE(dialog && dialog->isVisible());
        EXPECT_TRUE(dialog && dialog->labelText().contains("Drawing the chart"));
    }
    EXPECT_TRUE(same_dialog);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}
