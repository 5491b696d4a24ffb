// Kavro's window. It takes the same steps as kavro-cli, run as the user's
// own actions once the window has started, and can save a screenshot of the
// result: kavro -C samples --click hISTORY1 --screenshot trace.png
// `--size WxH` gives the window another size first, to look at the pages on
// a small or a large screen; `--timings FILE` writes each step's time up to
// the painted window, for the benchmark of the whole road.

#include "app/export.h"
#include "app/ui/main_window.h"
#include "app/ui/step_clock.h"
#include "cli/cli.h"
#include "cli/step_timings.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <optional>

namespace {

struct WindowSize {
    int width = 0;
    int height = 0;
};

// Takes `--size WxH` out of the arguments; false for a malformed size.
bool take_size(std::vector<std::string>& args, std::optional<WindowSize>& size) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--size") continue;
        WindowSize s;
        char x = 0;
        char rest = 0;
        if (i + 1 >= args.size() ||
            std::sscanf(args[i + 1].c_str(), "%d%c%d%c", &s.width, &x, &s.height, &rest) != 3 ||
            (x != 'x' && x != 'X') || s.width <= 0 || s.height <= 0) {
            std::cerr << "kavro: --size expects WIDTHxHEIGHT, such as 1024x700\n";
            return false;
        }
        size = s;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<WindowSize> size;
    if (!take_size(args, size)) return 2;
    kavro::CliOptions options;
    if (int code = kavro::parse_cli(args, options, std::cout, std::cerr, true); code >= 0) {
        if (code == 0)
            std::cout << "  --size WxH          open the window WIDTH by HEIGHT pixels\n";
        return code;
    }
    if (!kavro::enter_directory(options, std::cerr)) return 2;

    QApplication app(argc, argv);
    QApplication::setApplicationName("Kavro");
    kavro::ui::set_window_look();

    kavro::TForm1 form;
    kavro::ui::MainWindow window(form);
    if (size) window.resize(size->width, size->height);
    window.show();
    window.start();

    if (!options.steps.empty() || options.screenshot) {
        QTimer::singleShot(0, &window, [&] {
            // One action per step, as a user would take them: the window
            // shows each step's result (and the page a long load runs on)
            // before the next one starts.
            kavro::ui::StepClock clock;
            std::vector<kavro::StepTiming> timings;
            for (const kavro::CliStep& step : options.steps) {
                bool ok = true;
                clock.begin();
                const double cpu = kavro::process_cpu_ms();
                window.binder().act([&] { return ok = kavro::run_steps(form, {step}); });
                if (options.timings) {
                    // The step is over once the window shows its result.
                    QApplication::processEvents();
                    window.repaint();
                    const kavro::ui::StepTimes t = clock.end();
                    timings.push_back({kavro::step_text(step), t.ms, kavro::process_cpu_ms() - cpu,
                                       t.frozen_without_dialog_ms, t.frozen_ms});
                }
                if (!ok) break;
            }
            if (options.timings) kavro::write_timings(*options.timings, timings, std::cerr);
            if (options.export_names)
                kavro::export_form(form, *options.export_names, options.out_dir);
            if (options.screenshot) {
                QTimer::singleShot(300, &window, [&] {
                    // The strongest compression: the manual's screenshots stay small.
                    window.grab().save(QString::fromStdString(*options.screenshot), "PNG", 0);
                    QApplication::quit();
                });
            } else if (options.timings) {
                QApplication::quit(); // a measured run ends with its steps
            }
        });
    }
    return QApplication::exec();
}
