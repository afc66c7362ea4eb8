#include "cli/batch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>
#include <thread>

#include "app/command_texts.h"
#include "country/cty_utl3.h"

namespace tavo::cli {

std::optional<std::string> LoadData(const Options& o) {
    std::string name = o.data ? *o.data : tavo::DefaultDataFile();
    if (cty_utl3::LoadCountryFile(name) == -1) {
        std::cerr << "Cannot Open DATA file!\n";
        return std::nullopt;
    }
    return name;
}

std::optional<std::vector<std::string>> ReadPathList(const std::string& name, std::string& error) {
    std::FILE* in = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
    if (in == nullptr) {
        error = "cannot open " + name;
        return std::nullopt;
    }
    std::vector<std::string> paths;
    std::string line;
    char chunk[64 * 1024];
    std::size_t got;
    auto take = [&] {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) paths.push_back(std::move(line));
        line.clear();
    };
    errno = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        for (std::string_view rest(chunk, got); !rest.empty();) {
            const std::size_t lf = rest.find('\n');
            line.append(rest.substr(0, lf));
            if (lf == std::string_view::npos) break;
            take();
            rest.remove_prefix(lf + 1);
        }
    }
    take();
    const bool failed = std::ferror(in) != 0;
    const int err = errno;
    if (in != stdin) std::fclose(in);
    if (failed) {
        error = name + ": " + (err != 0 ? std::strerror(err) : "input/output error");
        return std::nullopt;
    }
    return paths;
}

std::size_t JobsFor(const Options& o, std::size_t logs) {
    const unsigned cores = std::thread::hardware_concurrency();
    const std::size_t jobs = o.jobs ? static_cast<std::size_t>(*o.jobs) : (cores == 0 ? 1 : cores);
    return std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(logs, 1));
}

}  // namespace tavo::cli
