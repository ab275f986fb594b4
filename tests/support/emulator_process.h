// Runs the real zel8d in a private device folder for a test: starts it, waits until it says
// it is ready (no sleeping), talks to its control socket, and stops it by its process id.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zeltest {

class EmulatorProcess {
  public:
    // program: path of zel8d. folder: the device folder it serves (--dir).
    EmulatorProcess(std::string program, std::string folder);
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess &) = delete;
    EmulatorProcess &operator=(const EmulatorProcess &) = delete;

    // Starts zel8d --dir <folder> <arguments> and waits for it to serve its sockets. False
    // when it exits first; its messages are then in errors().
    bool start(const std::vector<std::string> &arguments = {});
    // SIGTERM, then waits for it. Returns its exit status (-1 when it was not running or did
    // not exit normally).
    int stop();
    // Waits for an exit that is already under way (after "quit"); as stop() otherwise.
    int wait();
    pid_t pid() const { return pid_; }

    // One control command; the reply line ("OK...", "ERR...") or "" when none came.
    std::string control(const std::vector<std::string> &fields) const;

    // What zel8d wrote to its standard error so far.
    std::string errors() const;

  private:
    std::string program_;
    std::string folder_;
    std::string errorsPath_;
    pid_t pid_ = -1;
};

}  // namespace zeltest
