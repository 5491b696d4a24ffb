#pragma once

// The desktop side of the form's interfaces: Qt message boxes, file dialogs
// and the desktop's document opener.

#include "app/platform.h"

class QWidget;

namespace kavro::ui {

class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget* owner) : owner_(owner) {}
    void show(const std::string& text) override;

private:
    QWidget* owner_;
};

class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget* owner) : owner_(owner) {}
    std::optional<std::string> open(const std::string& start_folder) override;
    std::vector<std::string> open_many(const std::string& start_folder) override;
    std::optional<std::string> open_archive(const std::string& start_folder) override;

private:
    QWidget* owner_;
};

class QtShellOpen : public ShellOpen {
public:
    void open(const std::string& document) override;
};

} // namespace kavro::ui
