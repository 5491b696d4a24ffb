#include "app/ui/page_kit.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace kavro::ui {

QFont pixel_font(int pixels, const QString& family) {
    QFont f;
    if (!family.isEmpty()) {
        f.setFamily(family);
        // Where the named face is missing, fall back to one of its kind.
        const bool fixed = family.contains("Courier") || family.contains("Mono");
        f.setStyleHint(fixed ? QFont::TypeWriter : QFont::SansSerif);
    }
    f.setPixelSize(pixels);
    return f;
}

QWidget* build_load_tab(Binder& b, const LoadTabLayout& layout) {
    auto* tab = new QWidget();
    auto* v = new QVBoxLayout(tab);
    v->addWidget(Binder::heading(layout.heading));
    auto* row = new QHBoxLayout();
    row->addWidget(Binder::label(layout.file_label));
    QLineEdit* file = b.edit(layout.file_edit);
    // Wide enough for a usual path; it grows with the window, and the row
    // still fits a window 1024 pixels wide.
    file->setMinimumWidth(240);
    row->addWidget(file, 1);
    QPushButton* pick = b.button(layout.picker, "...");
    pick->setFixedWidth(32);
    row->addWidget(pick);
    for (const auto& [name, caption] : layout.buttons) {
        QPushButton* button = b.button(name, caption);
        button->setMinimumWidth(button->sizeHint().width() + 12);
        row->addWidget(button);
    }
    row->addStretch();
    v->addLayout(row);
    if (const OswLoadInfo* info = layout.osw_info) {
        // The header facts of the files (host, interval, processors ...)
        // and the files and snapshots loaded.
        v->addWidget(b.live_label([info] { return osw_header_text(info->header); }));
        v->addWidget(b.live_label([info] { return info->text(); }));
    }
    GridView* grid = b.grid(layout.grid, {layout.grid_width});
    if (layout.grid_font_pixels > 0) {
        grid->setFont(pixel_font(layout.grid_font_pixels));
        grid->verticalHeader()->setDefaultSectionSize(layout.grid_font_pixels + 5);
    }
    v->addWidget(grid, 1);
    return tab;
}

} // namespace kavro::ui
