// The version record, read back from the program file through Windows' own
// version API, as Explorer's properties page shows it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavo {
namespace {

std::string ThisProgram() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

std::vector<char> VersionInfo(const std::string& file) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoA(file.c_str(), 0, size, info.data())) info.clear();
    return info;
}

std::string Text(std::vector<char>& info, const std::string& name) {
    std::string key = "\\StringFileInfo\\041103A4\\" + name;
    void* value = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(info.data(), key.c_str(), &value, &len) || len == 0) return "(none)";
    return std::string(static_cast<const char*>(value));
}

void ExpectTavoVersionRecord(const std::string& file) {
    SCOPED_TRACE(file);
    std::vector<char> info = VersionInfo(file);
    ASSERT_FALSE(info.empty()) << "no version record";

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00030000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00030000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &len));
    ASSERT_EQ(len, 4u);
    EXPECT_EQ(translation[0], 0x0411);  // Japanese
    EXPECT_EQ(translation[1], 932);     // Shift-JIS

    EXPECT_EQ(Text(info, "FileVersion"), "3.0.0.0");
    EXPECT_EQ(Text(info, "ProductVersion"), "3.0");
    EXPECT_EQ(Text(info, "FileDescription"), "Tavo for Windows");
    EXPECT_EQ(Text(info, "CompanyName"), "TAVO-PROJECT");
}

TEST(VersionRecord, ReadsBackAsVersion300JapaneseCodePage932) {
    ExpectTavoVersionRecord(ThisProgram());
}

TEST(VersionRecord, EveryShippedProgramCarriesIt) {
    std::string programs = TAVO_SHIPPED_PROGRAMS;  // separated by "|"
    std::size_t start = 0, checked = 0;
    while (start <= programs.size()) {
        std::size_t end = std::min(programs.find('|', start), programs.size());
        ExpectTavoVersionRecord(programs.substr(start, end - start));
        ++checked;
        start = end + 1;
    }
    EXPECT_GE(checked, 1u);
}

}  // namespace
}  // namespace tavo
