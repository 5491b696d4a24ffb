// The About page: one framed panel with the version.
#include "app/ui/pages.h"

#include <QFrame>
#include <QVBoxLayout>

namespace kavro::ui {

QWidget* build_about_tab(Binder&) {
    auto* tab = new QWidget();
    auto* v = new QVBoxLayout(tab);
    // A lowered outer bevel around a raised inner one.
    auto* outer = new QFrame();
    outer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    outer->setLineWidth(1);
    auto* inner = new QFrame();
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    inner->setLineWidth(1);
    auto* ov = new QVBoxLayout(outer);
    ov->setContentsMargins(2, 2, 2, 2);
    ov->addWidget(inner);
    auto* iv = new QVBoxLayout(inner);
    auto* version = new QLabel("Version 16.06.14");
    version->setStyleSheet("color: blue;");
    QFont f = version->font();
    f.setPixelSize(16);
    version->setFont(f);
    iv->addWidget(version);
    iv->setContentsMargins(16, 16, 16, 16);
    v->addWidget(outer);
    v->addStretch();
    return tab;
}

} // namespace kavro::ui
