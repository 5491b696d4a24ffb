// Keyboard and layout of the window: every page fits a 1024 by 700 window,
// and Tab walks through every control of a page and comes round again.

#include "app/ui/main_window.h"
#include "ui_app.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

#include <sstream>

using namespace kavro;
using namespace kavro::ui;

TEST(Layout, EveryPageFitsASmallScreen) {
    test_app();
    set_window_look();
    TForm1 form;
    MainWindow window(form);
    auto* stack = window.findChild<QStackedWidget*>();
    ASSERT_NE(stack, nullptr);
    std::ostringstream too_big;
    for (int p = 0; p < stack->count(); ++p) {
        auto* tabs = qobject_cast<QTabWidget*>(stack->widget(p));
        ASSERT_NE(tabs, nullptr);
        for (int t = 0; t < tabs->count(); ++t) {
            const QSize min = tabs->widget(t)->minimumSizeHint();
            too_big << tabs->objectName().toStdString() << " tab " << t << ": " << min.width()
                    << "x" << min.height() << "\n";
        }
    }
    const QSize min = window.minimumSizeHint();
    EXPECT_LE(min.width(), 1024) << too_big.str();
    EXPECT_LE(min.height(), 700) << too_big.str();
}

namespace {

// The controls of `page` that Tab should reach: shown, enabled, taking
// focus by Tab, and not a part of another control (a selector's edit).
QList<QWidget*> tab_stops(QWidget* page) {
    QList<QWidget*> stops;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus) ||
            w->focusProxy())
            continue;
        if (qobject_cast<QComboBox*>(w->parentWidget())) continue;
        stops << w;
    }
    return stops;
}

QString describe(const QWidget* w) {
    return w ? QString("%1(%2)").arg(w->metaObject()->className(), w->objectName()) : "none";
}

} // namespace

TEST(Keyboard, TabReachesEveryControlOfEveryPageAndComesRound) {
    test_app();
    set_window_look();
    TForm1 form;
    MainWindow window(form);
    RecordingMessageBox messages; // start-up finds no db.ini here
    form.message_box = &messages;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* stack = window.findChild<QStackedWidget*>();
    for (const char* menu :
         {"hISTORY1", "OSWps1", "OSWmpstat1", "OSWnetstat1", "Options1", "Rules1", "About2"}) {
        form.user_click(menu);
        window.binder().sync();
        auto* tabs = qobject_cast<QTabWidget*>(stack->currentWidget());
        ASSERT_NE(tabs, nullptr);
        for (int t = 0; t < tabs->count(); ++t) {
            form.user_tab(tabs->objectName().toStdString(), t);
            window.binder().sync();
            QWidget* page = tabs->currentWidget();
            const QList<QWidget*> stops = tab_stops(page);
            if (stops.isEmpty()) continue;
            stops.first()->setFocus(Qt::TabFocusReason);
            QStringList walk;
            QSet<QWidget*> seen;
            // Round the page and its tab bar: back at the start, and never
            // held by one control.
            for (int i = 0; i <= stops.size(); ++i) {
                QWidget* focus = QApplication::focusWidget();
                ASSERT_NE(focus, nullptr);
                walk << describe(focus);
                seen.insert(focus);
                QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
                QApplication::sendEvent(focus, &tab);
            }
            const std::string where = tabs->objectName().toStdString() + " tab " +
                                      std::to_string(t) + ", walk " + walk.join(" ").toStdString();
            for (QWidget* w : stops)
                EXPECT_TRUE(seen.contains(w))
                    << "Tab never reaches " << describe(w).toStdString() << " on " << where;
            EXPECT_EQ(QApplication::focusWidget(), stops.first()) << where;
        }
    }
}
