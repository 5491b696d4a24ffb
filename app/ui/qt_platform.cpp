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
    const QString chosen =
        QFileDialog::getOpenFileName(owner_, QString(), to_qstring(start_folder));
    if (chosen.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(chosen).toStdString();
}

std::vector<std::string> QtFileDialog::open_many(const std::string& start_folder) {
    std::vector<std::string> names;
    for (const QString& chosen :
         QFileDialog::getOpenFileNames(owner_, QString(), to_qstring(start_folder)))
        names.push_back(QDir::toNativeSeparators(chosen).toStdString());
    return names;
}

std::optional<std::string> QtFileDialog::open_archive(const std::string& start_folder) {
    // One dialog for a folder or a file: it chooses folders, and turns to
    // choosing files while a file is selected, so "Open" takes either.
    QFileDialog dialog(owner_, "Open OSWatcher Archive", to_qstring(start_folder));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    dialog.setNameFilters({"OSWatcher archives (*.tar *.tar.gz *.tgz *.tar.bz2 *.tar.xz "
                           "*.tar.zst *.zip)",
                           "All files (*)"});
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog,
                     [&dialog](const QString& path) {
                         dialog.setFileMode(QFileInfo(path).isDir() ? QFileDialog::Directory
                                                                    : QFileDialog::ExistingFile);
                     });
    dialog.setLabelText(QFileDialog::Accept, "Open");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().first()).toStdString();
}

void QtShellOpen::open(const std::string& document) {
    // Looked for in the current directory; what the desktop makes of it is
    // not examined.
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QFileInfo(to_qstring(document)).absoluteFilePath()));
}

} // namespace kavro::ui
