// Kavro's window. It takes the same steps as kavro-cli, run as the user's
// own actions once the window has started, and can save a screenshot of the
// result: kavro -C samples --click hISTORY1 --screenshot trace.png

#include "app/ui/main_window.h"
#include "app/export.h"
#include "cli/cli.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    kavro::CliOptions options;
    if (int code = kavro::parse_cli(args, options, std::cout, std::cerr, true); code >= 0) return code;
    if (!kavro::enter_directory(options, std::cerr)) return 2;

    QApplication app(argc, argv);
    QApplication::setApplicationName("Kavro");
    QApplication::setStyle("Fusion");
    QFont font("MS Sans Serif");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    QApplication::setFont(font);

    kavro::TForm1 form;
    kavro::ui::MainWindow window(form);
    window.show();
    window.start();

    if (!options.steps.empty() || options.screenshot) {
        QTimer::singleShot(0, &window, [&] {
            window.binder().act([&] { return kavro::run_steps(form, options.steps); });
            if (options.export_names) kavro::export_form(form, *options.export_names, options.out_dir);
            if (options.screenshot) {
                QTimer::singleShot(300, &window, [&] {
                    window.grab().save(QString::fromStdString(*options.screenshot));
                    QApplication::quit();
                });
            }
        });
    }
    return QApplication::exec();
}
