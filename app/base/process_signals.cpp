#include "base/process_signals.h"

#include <csignal>

namespace zelapp {

void ignoreFileSizeSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace zelapp
