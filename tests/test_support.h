#pragma once

// Helpers shared by the test binaries: temporary files and folders, and the
// path of the real sample data that some tests read when it is present.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kavro::testing {

inline std::filesystem::path fixture(const std::string& name) {
    return std::filesystem::path(KAVRO_FIXTURES) / name;
}

inline std::filesystem::path real_data(const std::string& name) {
    return std::filesystem::path(KAVRO_REAL_DATA) / name;
}

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("kavro-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name, std::string_view content) const {
        const auto p = path_ / name;
        std::ofstream out(p, std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return p.string();
    }

private:
    std::filesystem::path path_;
};

// Runs the test body inside `dir` and goes back afterwards.
class ChangeDir {
public:
    explicit ChangeDir(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~ChangeDir() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

} // namespace kavro::testing
