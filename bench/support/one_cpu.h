// A benchmark and the zel8d it reads from, kept on one processor. A unit's driver answers in
// the caller's own context; zel8d is a process of its own, and on a machine of two processors
// the scheduler wakes it on the idle one and the caller back on its own: two wake-ups of an
// idle processor per read, several times the round trip itself. On one processor the reads
// cost what the library and the emulator do, which is what the benchmarks judge.
#pragma once

#include <sched.h>
#include <sys/types.h>

namespace zelbench {

// The process (or, for 0, the calling thread) on the first processor only.
inline void pinToFirstCpu(pid_t pid) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(0, &set);
    sched_setaffinity(pid, sizeof set, &set);
}

// While it lives, the calling thread and `partner` run on the first processor; then both may
// run wherever the calling thread could before.
class OneCpu {
  public:
    explicit OneCpu(pid_t partner) : partner_(partner) {
        CPU_ZERO(&before_);
        sched_getaffinity(0, sizeof before_, &before_);
        pinToFirstCpu(0);
        pinToFirstCpu(partner_);
    }
    ~OneCpu() {
        sched_setaffinity(0, sizeof before_, &before_);
        sched_setaffinity(partner_, sizeof before_, &before_);
    }
    OneCpu(const OneCpu &) = delete;
    OneCpu &operator=(const OneCpu &) = delete;

  private:
    pid_t partner_;
    cpu_set_t before_;
};

}  // namespace zelbench
