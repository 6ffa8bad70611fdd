#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace trovel::testing {

// A scratch folder removed with everything in it when the test ends.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "trovel-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

    // Writes a file, making its folders.
    void Write(const std::string& relative, const std::string& content) const {
        const std::filesystem::path file = path_ + "/" + relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << content;
    }
    void MakeDir(const std::string& relative) const { std::filesystem::create_directories(path_ + "/" + relative); }
    void Link(const std::string& relative, const std::string& target) const {
        const std::filesystem::path link = path_ + "/" + relative;
        std::filesystem::create_directories(link.parent_path());
        std::filesystem::create_symlink(target, link);
    }

private:
    std::string path_;
};

}  // namespace trovel::testing
