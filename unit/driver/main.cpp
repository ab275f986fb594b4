// zel8d: the ZEL-8 unit and its driver, emulated on local sockets.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "control_client.h"
#include "emulator.h"
#include "options.h"
#include "posix/device_path.h"
#include "server.h"

namespace {

const char *modeText(zel8d::PortMode mode) {
    switch (mode) {
        case zel8d::PortMode::Unit:
            return "unit";
        case zel8d::PortMode::Silent:
            return "driver, no unit";
        case zel8d::PortMode::Absent:
            return "no driver";
    }
    return "";
}

void announceReady(int fd) {
    if (fd < 0) {
        return;
    }
    const char ready[] = "READY\n";
    (void)!::write(fd, ready, sizeof ready - 1);
    ::close(fd);
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "ctl") {
        return zel8d::runControlClient({args.begin() + 1, args.end()});
    }
    const zel8d::ParseResult parsed = zel8d::parseOptions(args);
    if (!parsed.ok) {
        std::fprintf(stderr, "zel8d: %s\nTry 'zel8d --help'.\n", parsed.error.c_str());
        return 2;
    }
    const zel8d::Options &options = parsed.options;
    if (options.help) {
        std::fputs(zel8d::kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::puts("zel8d 1.0");
        return 0;
    }

    // SIGTERM and SIGINT end the loop through a signal fd, so shutdown runs in order.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const int stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (stopFd < 0) {
        std::perror("zel8d: signalfd");
        return 1;
    }

    const std::string folder = options.folder.empty() ? zelcomm::deviceFolder() : options.folder;
    const std::string statePath =
        options.statePath.empty() ? folder + "/zel8d.state" : options.statePath;
    zel8d::Emulator emulator(options, statePath);
    zel8d::Server server(emulator, folder);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "zel8d: %s\n", error.c_str());
        return 1;
    }
    const std::string warning = emulator.powerOn();
    if (!warning.empty()) {
        std::fprintf(stderr, "zel8d: stored calibration not read, using nominal settings: %s\n",
                     warning.c_str());
    }
    std::fprintf(stderr, "zel8d: serving %s (port 1: %s, port 2: %s, port 3: %s; %s signal)\n",
                 folder.c_str(), modeText(emulator.driver().mode(1)),
                 modeText(emulator.driver().mode(2)), modeText(emulator.driver().mode(3)),
                 options.signal == zel8d::SignalKind::Demo ? "demo" : "fixed");
    announceReady(options.readyFd);
    server.run(stopFd);
    server.stop();
    std::fprintf(stderr, "zel8d: stopped\n");
    return 0;
}
