#pragma once

#include <string>
#include <vector>

namespace quillow::test {

// A program started by a test, its standard output going to a file of its
// own. Ended (killed) with the object unless it has already exited.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& arguments, const std::string& outputPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Whether it has exited; collects its exit status when it has.
    bool exited();
    // Asks it to end (SIGTERM) and waits up to the given time for it to
    // exit; whether it has.
    bool stop(int waitMs);
    // The exit code, or -1 when it did not exit normally or has not exited.
    int exitCode() const { return exitCode_; }
    // What it wrote to standard output so far.
    std::string output() const;

private:
    int pid_ = -1;
    bool exited_ = false;
    int exitCode_ = -1;
    std::string outputPath_;
};

}  // namespace quillow::test
