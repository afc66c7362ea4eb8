// A scratch folder per test, removed afterwards, with helpers to write the
// byte-exact files the tests read.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tavo::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Writes `bytes` exactly as given, creating the folders of `name` as
    // needed, and returns the file's full path.
    std::string Write(std::string_view name, std::string_view bytes) const;
    std::string File(std::string_view name) const;

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);

// Joins lines with the given line end, after every line.
std::string Lines(std::initializer_list<std::string_view> lines, std::string_view eol = "\r\n");

}  // namespace tavo::test
