#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/viewer.h"

extern char** environ;

namespace tavo {

namespace {

// A program that fails within this time failed to show the file; one that
// ends later was shown and closed.
constexpr auto kFailureWindow = std::chrono::seconds(5);

}  // namespace

bool StartViewer(std::string_view ViewerName, const std::string& FileName, FailedSoon OnFailure) {
    std::vector<std::string> args = ViewerArguments(ViewerName, FileName);
    if (args.empty()) return false;
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    // posix_spawnp looks the program up on PATH and runs it directly: no shell
    // ever sees the file name, whatever characters it holds.
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;

    // The viewer outlives nothing of ours; a small waiter collects its exit
    // status so it leaves no zombie behind, without the window ever waiting.
    const auto started = std::chrono::steady_clock::now();
    std::thread([pid, started, OnFailure = std::move(OnFailure)] {
        int status = 0;
        while (waitpid(pid, &status, 0) == -1 && errno == EINTR) {
        }
        const bool failed = !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        if (failed && OnFailure && std::chrono::steady_clock::now() - started < kFailureWindow)
            OnFailure();
    }).detach();
    return true;
}

bool StartBrowser(const std::string& FileName, FailedSoon OnFailure) {
    return StartViewer("xdg-open", FileName, std::move(OnFailure));
}

std::string BrowserCommandLine(const std::string& FileName) {
    return ViewerCommandLine("xdg-open", FileName);
}

}  // namespace tavo
