// File-name rules of the platform: where the directory part ends and where an
// extension begins. POSIX knows only "/"; Windows also "\" and ":".
#pragma once

#include <string>
#include <string_view>

namespace tavo {

#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "\\/:";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

// The name after the last directory separator.
std::string_view ExtractFileName(std::string_view path);

// The extension starts at the last "." after the last separator; `ext` (with its
// own dot) replaces it, or is appended when there is none.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// The extension as it stands, dot included; empty when there is none.
std::string_view ExtractFileExt(std::string_view path);

}  // namespace tavo
