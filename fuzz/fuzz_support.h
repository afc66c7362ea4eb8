// What the fuzz targets share: a scratch folder of their own for the files the
// code under test reads by name, and the bundled country data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "country/cty_utl3.h"

namespace tavo::fuzz {

// One scratch folder per process, in TMPDIR. libFuzzer ends a run without
// running exit handlers, so scripts/fuzz.sh gives each run a TMPDIR of its
// own and removes that.
inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tavo-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// Writes the bytes as a file of the scratch folder and returns its path.
inline std::string PutFile(std::string_view name, std::string_view bytes) {
    std::string path = (ScratchFolder() / name).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        std::abort();
    if (std::fclose(f) != 0) std::abort();
    return path;
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The bundled CQWW.DAT, loaded once: the pass target resolves with it.
inline const cty_utl3::CountryDatabase& BundledCountries() {
    static const cty_utl3::CountryDatabase db = [] {
        cty_utl3::CountryDatabase loaded;
        if (loaded.Load(TAVO_SOURCE_DIR "/data/CQWW.DAT") != 0) std::abort();
        return loaded;
    }();
    return db;
}

// A failed property: says what and stops, so libFuzzer keeps the input.
[[noreturn]] inline void Broken(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

}  // namespace tavo::fuzz
