#include "tests/support/temp_dir.h"

#include <fstream>
#include <random>
#include <sstream>

namespace tavo::test {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    do {
        path_ = base / ("tavo-test-" + std::to_string(rd()));
    } while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(std::string_view name) const { return (path_ / name).string(); }

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
    std::string file = File(name);
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Lines(std::initializer_list<std::string_view> lines, std::string_view eol) {
    std::string out;
    for (std::string_view line : lines) {
        out += line;
        out += eol;
    }
    return out;
}

}  // namespace tavo::test
