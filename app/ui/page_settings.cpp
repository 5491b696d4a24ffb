// The Settings page: the work folders read from db.ini.
#include "app/ui/pages.h"

#include <QFormLayout>
#include <QVBoxLayout>

namespace kavro::ui {

QWidget* build_settings_tab(Binder& b) {
    auto* tab = new QWidget();
    auto* v = new QVBoxLayout(tab);
    auto* title = new QLabel("Kavro");
    QFont big = title->font();
    big.setPixelSize(40);
    big.setBold(true);
    title->setFont(big);
    title->setStyleSheet("color: blue;");
    auto* subtitle = new QLabel("Oracle Trace File Analysis");
    QFont mid = subtitle->font();
    mid.setPixelSize(20);
    subtitle->setFont(mid);
    subtitle->setStyleSheet("color: blue;");
    v->addWidget(title);
    v->addWidget(subtitle);
    v->addSpacing(16);

    auto* group = new QGroupBox(" Environment ");
    auto* form = new QFormLayout(group);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    for (auto [name, caption] :
         {std::pair{"metaloc", "Metadata Location"}, std::pair{"tracemeta", "Trace File Location"},
          std::pair{"oswmeta", "OSW File Location"}}) {
        QLineEdit* e = b.edit(name);
        e->setMinimumWidth(520);
        form->addRow(caption, e);
    }
    group->setMaximumWidth(760);
    v->addWidget(group);
    v->addStretch();
    return tab;
}

} // namespace kavro::ui
