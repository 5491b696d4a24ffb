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
    // The same dialog taking several files at once (the OSWatcher pickers):
    // their full names, none when the user cancels. Without a dialog of its
    // own, the one-file dialog.
    virtual std::vector<std::string> open_many(const std::string& start_folder) {
        if (auto one = open(start_folder)) return {*one};
        return {};
    }
    // A folder or an archive file ("Open OSWatcher Archive..."), or nothing.
    virtual std::optional<std::string> open_archive(const std::string& start_folder) {
        return open(start_folder);
    }
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

// Answers every dialog with what the test put in: `answer` for one file or
// an archive, `answers` (or else `answer`) for several files. Records each
// dialog shown: its start folder and which one it was ("open", "open_many",
// "open_archive").
class ScriptedFileDialog : public FileDialog {
public:
    std::optional<std::string> open(const std::string& start_folder) override {
        record(start_folder, "open");
        return answer;
    }
    std::vector<std::string> open_many(const std::string& start_folder) override {
        record(start_folder, "open_many");
        if (!answers.empty()) return answers;
        if (answer) return {*answer};
        return {};
    }
    std::optional<std::string> open_archive(const std::string& start_folder) override {
        record(start_folder, "open_archive");
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> answers;
    std::vector<std::string> start_folders;
    std::vector<std::string> shown;

private:
    void record(const std::string& start_folder, const char* which) {
        start_folders.push_back(start_folder);
        shown.emplace_back(which);
    }
};

class RecordingShellOpen : public ShellOpen {
public:
    void open(const std::string& document) override { opened.push_back(document); }
    std::vector<std::string> opened;
};

} // namespace kavro
