#include "app/ui/main_window.h"

#include "app/ui/pages.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>

namespace kavro::ui {

void set_window_look() {
    QApplication::setStyle("Fusion");
    // The form's face; where it is missing, the desktop's sans-serif stands in.
    QFont font("MS Sans Serif");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    QApplication::setFont(font);
}

MainWindow::MainWindow(TForm1& form)
    : form_(form), binder_(form, this), messages_(this), dialog_(this), progress_(this) {
    form_.message_box = &messages_;
    form_.file_dialog = &dialog_;
    form_.shell = &shell_;
    form_.progress = &progress_;
    setWindowTitle(TForm1::kCaption);
    setAcceptDrops(true);
    build_menu();
    build_pages();
    resize(TForm1::kClientWidth, TForm1::kClientHeight + menuBar()->sizeHint().height());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        // A screen smaller than the first size gets a window that fits it;
        // the pages lay themselves out down to 1024 by 700.
        const QRect area = screen->availableGeometry();
        resize(size().boundedTo(area.size()));
        move(area.center() - rect().center());
    }
    binder_.sync();
}

void MainWindow::build_menu() {
    const auto entry = [this](QMenu* menu, const QString& caption, const std::string& name) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromStdString(name));
        connect(a, &QAction::triggered, this,
                [this, name] { binder_.act([&] { return form_.user_click(name); }); });
    };
    QMenu* analyze = menuBar()->addMenu("&Analyze");
    analyze->setObjectName("SQL1");
    entry(analyze, "&Raw Trace Analysis", "hISTORY1");
    entry(analyze, "OSW(&ps)", "OSWps1");
    entry(analyze, "OSW(&mpstat)", "OSWmpstat1");
    entry(analyze, "OSW(&netstat)", "OSWnetstat1");
    analyze->addSeparator();
    entry(analyze, "Open OSWatcher &Archive...", "OSWArchive1");
    QMenu* config = menuBar()->addMenu("&Configuration");
    config->setObjectName("Configuration1");
    entry(config, "&Settings", "Options1");
    entry(config, "&Trace Rules", "Rules1");
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    entry(help, "Help &Manual", "HelpManual1");
    entry(help, "&About", "About2");
}

void MainWindow::build_pages() {
    stack_ = new QStackedWidget();
    setCentralWidget(stack_);
    struct Tab {
        QWidget* (*build)(Binder&);
    };
    const auto add = [this](const std::string& name,
                            std::initializer_list<QWidget* (*)(Binder&)> builders) {
        QTabWidget* tabs = binder_.page(name);
        const PageControl* model = TForm1::find(form_.pages, name);
        int i = 0;
        for (auto build : builders)
            tabs->addTab(build(binder_), QString::fromStdString(model->tab_captions.at(
                                             static_cast<std::size_t>(i++))));
        stack_->addWidget(tabs);
        page_widgets_[model] = tabs;
    };
    add("about_page", {build_about_tab});
    add("Page_SQL_Hist", {build_trace_load_tab, build_trace_analyze_tab, build_trace_raw_tab,
                          build_trace_profile_tab});
    add("OSWPage", {build_ps_load_tab, build_ps_analyze_tab, build_ps_raw_tab});
    add("page_osw_nets",
        {build_netstat_load_tab, build_netstat_analyze_tab, build_netstat_raw_tab});
    add("mpstat_page", {build_mpstat_load_tab, build_mpstat_analyze_tab});
    add("Page_Conf_Set", {build_settings_tab});
    add("Page_Rules", {build_rules_tab});
    binder_.on_sync([this] {
        const PageControl* front = form_.front_page();
        auto it = page_widgets_.find(front);
        if (it != page_widgets_.end() && stack_->currentWidget() != it->second)
            stack_->setCurrentWidget(it->second);
    });
}

std::optional<std::pair<std::string, std::string>> MainWindow::front_load_tab() const {
    struct LoadTab {
        const PageControl* page;
        const char* edit;
        const char* load;
    };
    const LoadTab tabs[] = {{&form_.trace.Page_SQL_Hist, "SQLIdList", "Button102"},
                            {&form_.ps.OSWPage, "osw_filename", "Button85"},
                            {&form_.mpstat.mpstat_page, "mpstat_filename", "Button8"},
                            {&form_.netstat.page_osw_nets, "netstat_filename", "Button12"}};
    const PageControl* front = form_.front_page();
    for (const LoadTab& t : tabs)
        if (t.page == front && front->active_tab == 0)
            return std::pair{std::string(t.edit), std::string(t.load)};
    return std::nullopt;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (front_load_tab() && mime->hasUrls() && !mime->urls().isEmpty() &&
        mime->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    if (!files.isEmpty() && drop_files(files)) event->acceptProposedAction();
}

bool MainWindow::drop_file(const QString& file) {
    return drop_files({file});
}

bool MainWindow::drop_files(const QStringList& files) {
    // Files dropped on a load tab are named in its field and loaded.
    const auto target = front_load_tab();
    if (!target || files.isEmpty()) return false;
    std::vector<std::string> paths;
    for (const QString& f : files) paths.push_back(QDir::toNativeSeparators(f).toStdString());
    if (target->first == "SQLIdList") paths.resize(1);
    sort_osw_order(paths);
    const std::string field = join_file_field(paths);
    binder_.act(
        [&] { return form_.user_set(target->first, field) && form_.user_click(target->second); });
    return true;
}

void MainWindow::start() {
    if (started_) return;
    started_ = true;
    form_.FormShow();
    binder_.sync();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    start();
}

} // namespace kavro::ui
