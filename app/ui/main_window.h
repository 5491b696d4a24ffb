#pragma once

#include "app/form.h"
#include "app/ui/binder.h"
#include "app/ui/progress_dialog.h"
#include "app/ui/qt_platform.h"

#include <QMainWindow>
#include <QStackedWidget>

#include <map>

namespace kavro::ui {

// The main window: the menu and the seven page controls stacked on one
// another, the front one shown.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(TForm1& form);
    Binder& binder() { return binder_; }
    // Runs the form's start-up once (the window's show event does it).
    void start();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build_menu();
    void build_pages();

    TForm1& form_;
    Binder binder_;
    QtMessageBox messages_;
    QtFileDialog dialog_;
    QtShellOpen shell_;
    QtProgress progress_;
    QStackedWidget* stack_ = nullptr;
    std::map<const PageControl*, QWidget*> page_widgets_;
    bool started_ = false;
};

} // namespace kavro::ui
