#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

namespace quillow::test {

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::string& outputPath)
    : outputPath_(outputPath)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess()
{
    if (!started() || exited()) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
}

bool ChildProcess::exited()
{
    if (!started()) return true;
    if (exited_) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
    exited_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

bool ChildProcess::stop(int waitMs)
{
    if (exited()) return true;
    kill(pid_, SIGTERM);
    for (int waited = 0; waited < waitMs && !exited(); ++waited) usleep(1000);
    return exited();
}

std::string ChildProcess::output() const
{
    std::ifstream file(outputPath_);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace quillow::test
