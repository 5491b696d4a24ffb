#include "app/ui/qt_platform.h"

#include "app/ui/table_model.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace kavro::ui {

void QtMessageBox::show(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, "Kavro", to_qstring(text), QMessageBox::Ok, owner_);
    box.exec();
}

std::optional<std::string> QtFileDialog::open(const std::string& start_folder) {
    const QString chosen = QFileDialog::getOpenFileName(owner_, QString(), to_qstring(start_folder));
    if (chosen.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(chosen).toStdString();
}

void QtShellOpen::open(const std::string& document) {
    // Looked for in the current directory; what the desktop makes of it is
    // not examined.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(to_qstring(document)).absoluteFilePath()));
}

} // namespace kavro::ui
