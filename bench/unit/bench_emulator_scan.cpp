// The running zel8d at its fastest scan rate: 255 channels of gauging formulas over the demo
// signal, ScanTime 1 (10,000 scans a second), set up through libzelcomm.so as a program would.
// Reports the scans the daemon ran on schedule, the scans it had to give up, and the processor
// time it used. Then what its scans make a read wait: the longest scan it ran, and a read sent
// as the daemon goes on after being held up 20 ms (200 scans behind), which on the unit, whose
// scans run beside its answers, would wait for one scan at most.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "compare_rounds.h"
#include "emulator_process.h"
#include "gauging_formulas.h"
#include "zelcomm.h"

namespace {

struct Stats {
    long scans = 0;
    long dropped = 0;
    double seconds = 0.0;
    double longestUs = 0.0;  // the longest scan
};

Stats stats(const zeltest::EmulatorProcess &emulator) {
    Stats s;
    const std::string reply = emulator.control({"stats"});
    std::sscanf(reply.c_str(), "OK\tscans=%ld\tdropped=%ld\tseconds=%lf\tlongest=%lf", &s.scans,
                &s.dropped, &s.seconds, &s.longestUs);
    return s;
}

// User plus system processor time of a process, in seconds.
double processorSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            user = std::stoul(field);
        } else if (i == 15) {
            system = std::stoul(field);
        }
    }
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace

int main() {
    char folderTemplate[] = "/tmp/zbs-XXXXXX";
    const std::string folder = ::mkdtemp(folderTemplate);
    ::setenv("ZEL_DEVICE_DIR", (folder + "/dev").c_str(), 1);
    {
        zeltest::EmulatorProcess emulator(ZEL8D_PATH, folder + "/dev");
        if (!emulator.start({"--signal", "demo", "--table", "255", "--memory", "1048576"})) {
            std::fprintf(stderr, "zel8d did not start: %s\n", emulator.errors().c_str());
            return 1;
        }
        ZelMsgBox(1);
        if (ZelCommInit(0) != 0) {
            std::fprintf(stderr, "the library did not reach zel8d\n");
            return 1;
        }
        for (int n = 1; n <= 255; ++n) {
            if (ZelDefineChannel(n, zelbench::formulaFor(n).c_str()) != 0) {
                return 1;
            }
        }
        ZelSetScanTime(1);
        ZelStartScan();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // settle

        const Stats before = stats(emulator);
        const double cpuBefore = processorSeconds(emulator.pid());
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const Stats after = stats(emulator);
        const double cpuAfter = processorSeconds(emulator.pid());

        const double elapsed = after.seconds - before.seconds;
        const double rate = (after.scans - before.scans) / elapsed;
        const long dropped = after.dropped - before.dropped;
        std::printf("zel8d at ScanTime 1 (255 channels, demo signal, %.1f s)\n", elapsed);
        std::printf("  scans per second       %10.0f   (ScanTime 1 needs 10000)\n", rate);
        std::printf("  evaluations per second %10.0f\n", rate * 255);
        std::printf("  scans dropped          %10ld\n", dropped);
        std::printf("  processor time         %9.1f%% of one core: %s\n",
                    100.0 * (cpuAfter - cpuBefore) / elapsed,
                    rate >= 9900 && dropped == 0 ? "keeps up" : "FALLS BEHIND");

        // A read as the daemon goes on after being held up: the scans it missed are due. The
        // longest scan is read before: a hold-up inside a scan would count as its time.
        const double longestScanUs = stats(emulator).longestUs;
        std::vector<double> afterHoldUs;
        float value = 0;
        for (int i = 0; i < 20; ++i) {
            ::kill(emulator.pid(), SIGSTOP);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ::kill(emulator.pid(), SIGCONT);
            const auto start = std::chrono::steady_clock::now();
            ZelReadChannel(1, &value);
            afterHoldUs.push_back(1000.0 * zelbench::msSince(start));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::printf(
            "  one scan               %9.1f us of processor time, longest %.1f us on the "
            "wall clock (a read waits for one scan at most)\n",
            1e6 * (cpuAfter - cpuBefore) / static_cast<double>(after.scans - before.scans),
            longestScanUs);
        std::printf(
            "  a read 200 scans behind: median %.1f us, longest %.1f us (unit: one scan "
            "period, 100 us, at most)\n",
            zelbench::median(afterHoldUs),
            *std::max_element(afterHoldUs.begin(), afterHoldUs.end()));
        ZelClose();
    }
    ::rmdir((folder + "/dev").c_str());
    ::rmdir(folder.c_str());
    return 0;
}
