#include "emulator_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "control_client.h"

namespace zeltest {

namespace {

// Generous: a loaded CI machine under sanitizers may take a while to start a process. Only an
// emulator that never comes up waits this long.
constexpr int kStartTimeoutMs = 30000;

}  // namespace

EmulatorProcess::EmulatorProcess(std::string program, std::string folder)
    : program_(std::move(program)),
      folder_(std::move(folder)),
      errorsPath_(folder_ + ".zel8d-errors.txt") {}

EmulatorProcess::~EmulatorProcess() {
    stop();
    ::unlink(errorsPath_.c_str());
}

bool EmulatorProcess::start(const std::vector<std::string> &arguments) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        return false;
    }
    std::vector<std::string> args{program_, "--dir", folder_, "--ready-fd", "3"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    // Everything the child needs is prepared before fork: it only duplicates and executes.
    std::vector<char *> argv;
    for (auto &arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return false;
    }
    if (pid == 0) {
        // The ready pipe becomes fd 3 (dup2 clears close-on-exec); errors go to a file.
        ::dup2(ready[1], 3);
        const int errors = ::open(errorsPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (errors >= 0) {
            ::dup2(errors, 2);
        }
        ::execv(program_.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(ready[1]);
    pid_ = pid;
    // READY arrives once every socket is served; end of file means it gave up.
    std::string said;
    pollfd wait{ready[0], POLLIN, 0};
    while (said.find('\n') == std::string::npos && ::poll(&wait, 1, kStartTimeoutMs) > 0) {
        char buffer[16];
        const ssize_t got = ::read(ready[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        said.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(ready[0]);
    if (said != "READY\n") {
        stop();
        return false;
    }
    return true;
}

int EmulatorProcess::stop() {
    if (pid_ <= 0) {
        return -1;
    }
    ::kill(pid_, SIGTERM);
    return wait();
}

int EmulatorProcess::wait() {
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string EmulatorProcess::control(const std::vector<std::string> &fields) const {
    std::string reply;
    std::string error;
    return zel8d::controlRequest(folder_, fields, &reply, &error) ? reply : std::string();
}

std::string EmulatorProcess::errors() const {
    std::ifstream in(errorsPath_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace zeltest
