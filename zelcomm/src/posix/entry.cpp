// Load and unload entries of the shared library on POSIX systems.
#include "../session.h"

namespace {

__attribute__((constructor)) void zelcommLoad() {
    // A shared object cannot refuse to load from here; a failed version query leaves the
    // session in demonstration mode, where every request is answered locally.
    zelcomm::attach(zelcomm::systemPlatform());
}

__attribute__((destructor)) void zelcommUnload() {
    zelcomm::detach();
}

}  // namespace
