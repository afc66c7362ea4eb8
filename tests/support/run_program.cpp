#include "tests/support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace tavo::test {

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& workDir, const Streams& streams) {
    TempDir capture;
    const std::string outFile = capture.File("out"), errFile = capture.File("err");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid == 0) {
        int out = streams.out.empty() ? open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)
                                      : open(streams.out.c_str(), O_WRONLY);
        int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = open(streams.in.c_str(), O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || chdir(workDir.c_str()) != 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    ProgramRun run;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    if (streams.out.empty()) run.out = ReadBytes(outFile);
    run.err = ReadBytes(errFile);
    return run;
}

}  // namespace tavo::test
