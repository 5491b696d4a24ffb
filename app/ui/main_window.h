#pragma once

#include "app/form.h"
#include "app/ui/binder.h"
#include "app/ui/progress_dialog.h"
#include "app/ui/qt_platform.h"

#include <QMainWindow>
#include <QStackedWidget>

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace kavro::ui {

// The application's style and font, set before the window is built.
void set_window_look();

// The main window: the menu and the seven page controls stacked on one
// another, the front one shown.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(TForm1& form);
    Binder& binder() { return binder_; }
    // Runs the form's start-up once (the window's show event does it).
    void start();
    // What dropping `file` on the window does: on a load tab, the file is
    // named in its field and loaded; elsewhere nothing happens (false).
    bool drop_file(const QString& file);
    // Several files (or folders and archives) dropped at once: an OSWatcher
    // load tab names them all in OSWatcher's order and loads them; the
    // trace tab takes the first.
    bool drop_files(const QStringList& files);

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void build_menu();
    void build_pages();
    // The file-name edit and load button of the load tab in front, if any.
    std::optional<std::pair<std::string, std::string>> front_load_tab() const;

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
