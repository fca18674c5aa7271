#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tarvela::test {
namespace {

std::vector<std::string> changedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(env, [&](const std::string& e) { return e.starts_with(name + "="); });
        if (change.find('=') != std::string::npos)
            env.push_back(change);
    }
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

void makePipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
    int in[2], out[2], err[2];
    makePipe(in);
    makePipe(out);
    makePipe(err);
    std::vector<std::string> args = argv;
    std::vector<std::string> env = changedEnvironment(environment);
    std::vector<char*> argp = pointers(args);
    std::vector<char*> envp = pointers(env);
    pid_ = ::fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execve(argp[0], argp.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
    // A child that ends before reading its input must not end the test with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        finish();
    }
}

void ChildProcess::write(std::string_view input) {
    while (!input.empty()) {
        const ssize_t n = ::write(in_, input.data(), input.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        input.remove_prefix(static_cast<std::size_t>(n));
    }
}

bool ChildProcess::pump() {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (out_ < 0 && err_ < 0)
        return false;
    if (::poll(fds, 2, -1) < 0)
        return errno == EINTR;
    std::string* targets[2] = {&result_.out, &result_.err};
    int* ends[2] = {&out_, &err_};
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0)
            continue;
        char buf[65536];
        const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
        if (n > 0) {
            targets[i]->append(buf, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            ::close(*ends[i]);
            *ends[i] = -1;
        }
    }
    return out_ >= 0 || err_ >= 0;
}

bool ChildProcess::waitForErr(std::string_view text) {
    while (result_.err.find(text) == std::string::npos) {
        if (!pump())
            return false;
    }
    return true;
}

void ChildProcess::readAvailable() {
    for (;;) {
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if ((out_ < 0 && err_ < 0) || ::poll(fds, 2, 0) <= 0)
            return;
        if (!pump())
            return;
    }
}

void ChildProcess::signal(int sig) {
    ::kill(pid_, sig);
}

ChildResult ChildProcess::finish() {
    if (in_ >= 0) {
        ::close(in_);
        in_ = -1;
    }
    while (pump()) {
    }
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    result_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result_;
}

ChildResult runChild(const std::vector<std::string>& argv, const std::string& input,
                     const std::vector<std::string>& environment) {
    ChildProcess child(argv, environment);
    child.write(input);
    return child.finish();
}

} // namespace tarvela::test
