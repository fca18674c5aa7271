#pragma once
// Runs a program as a child process with pipes on its stdin, stdout and stderr: for the tests that
// drive the real tarvela-cli binary.

#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace tarvela::test {

struct ChildResult {
    int exitCode = -1; // the exit status, or 128 + the signal that ended the child
    std::string out;
    std::string err;
};

class ChildProcess {
public:
    // Starts argv[0] with the arguments, in this process's environment changed by `environment`
    // ("NAME=value" sets, "NAME" alone removes).
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void write(std::string_view input);
    // Reads the child's output until its stderr holds `text` (true) or the child closed it (false).
    bool waitForErr(std::string_view text);
    void signal(int sig);
    // Reads what the child has written so far without waiting, so that it never blocks on a full pipe.
    void readAvailable();
    // Closes stdin, reads everything and waits for the child to end.
    ChildResult finish();

private:
    bool pump(); // one round of reading; false when both outputs are closed

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
    ChildResult result_;
};

// Runs the program to its end with `input` on its stdin.
ChildResult runChild(const std::vector<std::string>& argv, const std::string& input = {},
                     const std::vector<std::string>& environment = {});

} // namespace tarvela::test
