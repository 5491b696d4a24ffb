#pragma once

// Pieces several pages share: the load tab that every file page starts with.

#include "app/ui/binder.h"

#include <QFont>
#include <utility>
#include <vector>

namespace kavro::ui {

struct LoadTabLayout {
    QString heading;                                      // blue bold heading, top left
    QString file_label;                                   // caption of the file-name field
    std::string file_edit;                                // the file-name edit
    std::string picker;                                   // the "..." button
    std::vector<std::pair<std::string, QString>> buttons; // load, analyse, clear ...
    std::string grid;                                     // the raw lines
    int grid_width = 1011;                                // width of its one column
    int grid_font_pixels = 0;                             // 0: the window's font
    // An OSWatcher page: what its loaded files are, under the buttons.
    const OswLoadInfo* osw_info = nullptr;
};

QWidget* build_load_tab(Binder& b, const LoadTabLayout& layout);

// A small font of the given pixel height.
QFont pixel_font(int pixels, const QString& family = {});

} // namespace kavro::ui
