#pragma once

// The four small interfaces through which the form talks to the desktop.
// The Qt window supplies real ones; tests and the command-line tool use the
// recording ones below.

#include <optional>
#include <string>
#include <vector>

namespace kavro {

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Shows `text` with an OK button and waits for it.
    virtual void show(const std::string& text) = 0;
};

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // Shows a modal file-open dialog starting in `start_folder`; the chosen
    // file's full name, or nothing when the user cancels.
    virtual std::optional<std::string> open(const std::string& start_folder) = 0;
};

class ShellOpen {
public:
    virtual ~ShellOpen() = default;
    // Asks the desktop to open the document; the result is not examined.
    virtual void open(const std::string& document) = 0;
};

// Holds a connection string; nothing in the program opens it.
struct DbConnection {
    std::string connection_string;
};

class RecordingMessageBox : public MessageBox {
public:
    void show(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

class ScriptedFileDialog : public FileDialog {
public:
    std::optional<std::string> open(const std::string& start_folder) override {
        start_folders.push_back(start_folder);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> start_folders;
};

class RecordingShellOpen : public ShellOpen {
public:
    void open(const std::string& document) override { opened.push_back(document); }
    std::vector<std::string> opened;
};

} // namespace kavro
