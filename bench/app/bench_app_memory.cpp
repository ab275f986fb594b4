// The running program's memory: zelapp as an operator starts it, from a program folder of its
// own, with a setup of 255 channels, the grid and the bars open, against zel8d's demo station.
// Its resident size is sampled every second for a minute; the peak (VmHWM) and the size at
// 10 s and at 60 s are reported, so a leak in the scan tick shows as growth. This benchmark
// waits out the minute on purpose: a leak needs time to show.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/ini_file.h"
#include "display/twips.h"
#include "emulator_process.h"
#include "gauging_formulas.h"
#include "setup/setup.h"
#include "setup/setup_writer.h"
#include "setup_fixture.h"
#include "temp_folder.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;

constexpr int kChannels = 255;
constexpr int kSeconds = 60;
constexpr int kEarlySecond = 10;
// The offscreen platform's screens have 96 logical dots per inch.
constexpr double kOffscreenDpi = 96.0;

// A field of /proc/<pid>/status in KiB; -1 when the process or the field is gone.
long statusKiB(pid_t pid, const std::string &field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return -1;
}

// User plus system processor time of a process, in seconds; -1 when it is gone.
double processorSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto end = text.rfind(')');  // the command name may hold blanks
    if (end == std::string::npos) {
        return -1;
    }
    std::istringstream fields(text.substr(end + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i) {  // fields 3..13
        fields >> skip;
    }
    long user = 0, system = 0;
    fields >> user >> system;
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

std::string fileText(const fs::path &path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double mib(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

// The setup an operator of a large station would load: 255 channels of gauging formulas, the
// grid and the bar window placed (bars 1200x900 px: 7 rows of up to 37).
bool writeSetup(const QString &path) {
    zeltest::SetupFixture f(kChannels);
    zelapp::Setup &setup = f.setup;
    for (int i = 1; i <= kChannels; ++i) {
        zelapp::Channel *c = setup.channel(i);
        c->InUse = true;
        c->Description = QStringLiteral("Shaft %1").arg(i);
        c->setFormula(QString::fromStdString(zelbench::formulaFor(i)));
    }
    const auto twips = [](int px) { return zelapp::pixelsToTwips(px, kOffscreenDpi); };
    zelapp::windowRecord(setup.windows(), zelapp::SetupWindow::ChannelGrid) = {
        twips(0), twips(0), twips(900), twips(300)};
    zelapp::windowRecord(setup.windows(), zelapp::SetupWindow::ChannelBar) = {
        twips(0), twips(300), twips(900), twips(1200)};
    QString error;
    if (!zelapp::writeSetupFile(path, setup, QLatin1Char('.'), &error)) {
        std::fprintf(stderr, "cannot write the setup: %s\n", error.toLocal8Bit().constData());
        return false;
    }
    return true;
}

// The program folder as installed: the program, the library and the icon side by side (copies:
// the program finds its folder through the resolved path of its executable), and zelapp.ini
// with the default settings so that start-up shows no message.
bool makeProgramFolder(const fs::path &folder) {
    const fs::path program = ZELAPP_PATH;
    std::error_code error;
    for (const auto &[from, name] :
         {std::pair{program, "zelapp"},
          std::pair{fs::path(ZELCOMM_DIR) / "libzelcomm.so", "libzelcomm.so"},
          std::pair{program.parent_path() / "zelicon.ico", "zelicon.ico"}}) {
        if (!fs::copy_file(from, folder / name, fs::copy_options::overwrite_existing, error)) {
            std::fprintf(stderr, "cannot copy %s: %s\n", from.c_str(), error.message().c_str());
            return false;
        }
    }
    QString iniError;
    const QString ini =
        QDir(QString::fromStdString(folder.string())).filePath(QStringLiteral("zelapp.ini"));
    if (!zelapp::writeIniFile(ini, zelapp::AppState{}, &iniError)) {
        std::fprintf(stderr, "cannot write zelapp.ini: %s\n", iniError.toLocal8Bit().constData());
        return false;
    }
    return true;
}

// Starts the program in `folder`, which is also its working folder, with its own environment;
// its output goes to `log`.
pid_t startProgram(const fs::path &folder, const std::vector<std::string> &arguments,
                   const std::vector<std::string> &settings, const fs::path &log) {
    const fs::path program = folder / "zelapp";
    std::vector<std::string> env;
    for (char **e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string &s : settings) {
            replaced = replaced || s.substr(0, s.find('=')) == name;
        }
        if (!replaced) {
            env.push_back(entry);
        }
    }
    env.insert(env.end(), settings.begin(), settings.end());
    std::vector<std::string> args{program.string()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    // Everything the child needs is prepared before fork: it only redirects and executes.
    std::vector<char *> argv, envp;
    for (auto &a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    for (auto &e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out);
    return pid;
}

std::string describeExit(int status) {
    if (WIFEXITED(status)) {
        return "exit status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "killed by signal " + std::to_string(WTERMSIG(status));
    }
    return "stopped";
}

// SIGTERM, then SIGKILL when it has not gone within five seconds.
void stopProgram(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::fprintf(stderr, "zelapp ignored SIGTERM; killing it\n");
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
}

}  // namespace

int main() {
    zeltest::TempFolder devices, programFolder, config, runtime, logs;
    zeltest::EmulatorProcess emulator(ZEL8D_PATH, devices.path());
    if (!emulator.start({"--signal", "demo", "--table", "255", "--memory", "1048576"})) {
        std::fprintf(stderr, "zel8d did not start: %s\n", emulator.errors().c_str());
        return 1;
    }
    const fs::path folder = programFolder.path();
    const QString setupPath = QString::fromStdString((folder / "station.zel").string());
    if (!makeProgramFolder(folder) || !writeSetup(setupPath)) {
        return 1;
    }

    const fs::path log = fs::path(logs.path()) / "zelapp.log";
    const pid_t pid = startProgram(
        folder, {setupPath.toStdString(), "/NUMS", "/BARS"},
        {"QT_QPA_PLATFORM=offscreen", "LC_ALL=C.UTF-8", "ZEL_DEVICE_DIR=" + devices.path(),
         "XDG_RUNTIME_DIR=" + runtime.path(), "XDG_CONFIG_HOME=" + config.path()},
        log);
    if (pid < 0) {
        std::fprintf(stderr, "cannot start zelapp\n");
        return 1;
    }

    // One sample a second; the clock is kept from the start so the samples do not drift.
    const auto start = std::chrono::steady_clock::now();
    std::vector<long> rss;
    long hwm = -1;
    double cpuAtEarly = 0;
    for (int second = 1; second <= kSeconds; ++second) {
        std::this_thread::sleep_until(start + std::chrono::seconds(second));
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "zelapp ended after %d s (%s). Its output:\n%s\n", second,
                         describeExit(status).c_str(), fileText(log).c_str());
            return 1;
        }
        rss.push_back(statusKiB(pid, "VmRSS"));
        hwm = statusKiB(pid, "VmHWM");
        if (second == kEarlySecond) {
            cpuAtEarly = processorSeconds(pid);
            // The setup's formulas reach the unit only when the program loaded the file.
            const std::string c1 = emulator.control({"get", "C1"});
            if (c1.rfind("OK", 0) != 0 || std::strtod(c1.c_str() + 2, nullptr) == 0.0) {
                std::fprintf(stderr, "zelapp did not load its setup (zel8d: get C1 -> %s)\n",
                             c1.c_str());
                stopProgram(pid);
                std::fprintf(stderr, "its output:\n%s\n", fileText(log).c_str());
                return 1;
            }
        }
    }
    const double cpuAtEnd = processorSeconds(pid);
    stopProgram(pid);
    const std::string scans = emulator.control({"stats"});
    emulator.stop();
    const std::string output = fileText(log);

    const long early = rss[kEarlySecond - 1];
    const long late = rss.back();
    long low = late, high = late;
    for (size_t i = kEarlySecond - 1; i < rss.size(); ++i) {
        low = std::min(low, rss[i]);
        high = std::max(high, rss[i]);
    }
    std::printf(
        "bench_app_memory: zelapp with %d channels, grid and bars shown, against zel8d "
        "(demo signal), %d s\n",
        kChannels, kSeconds);
    std::printf("  peak resident size (VmHWM) %.1f MiB\n", mib(hwm));
    std::printf("  resident size every 10 s (MiB):");
    for (int second = 10; second <= kSeconds; second += 10) {
        std::printf(" %.1f", mib(rss[static_cast<size_t>(second - 1)]));
    }
    std::printf("\n");
    std::printf(
        "  resident size at %d s %.1f MiB, at %d s %.1f MiB: %+.2f MiB (%+.1f KiB a "
        "minute); range after %d s %.1f to %.1f MiB\n",
        kEarlySecond, mib(early), kSeconds, mib(late), mib(late - early),
        static_cast<double>(late - early) * 60.0 / (kSeconds - kEarlySecond), kEarlySecond,
        mib(low), mib(high));
    std::printf(
        "  processor time from %d s to %d s: %.2f s, %.1f%% of one core (%.1f ms per "
        "400 ms tick)\n",
        kEarlySecond, kSeconds, cpuAtEnd - cpuAtEarly,
        100.0 * (cpuAtEnd - cpuAtEarly) / (kSeconds - kEarlySecond),
        1000.0 * (cpuAtEnd - cpuAtEarly) / ((kSeconds - kEarlySecond) / 0.4));
    std::printf("  zel8d: %s\n", scans.substr(scans.find('\t') + 1).c_str());
    // The offscreen platform notes every raise() and size hint it cannot pass on; anything
    // else the program wrote is shown.
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("This plugin does not support", 0) != 0) {
            std::printf("  zelapp: %s\n", line.c_str());
        }
    }
    return 0;
}
