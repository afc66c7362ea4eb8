#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "platform/viewer.h"

extern char** environ;

namespace tavo {

bool StartViewer(std::string_view ViewerName, const std::string& FileName) {
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
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) == -1 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace tavo
