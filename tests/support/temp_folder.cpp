#include "temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace zeltest {

TempFolder::TempFolder() {
    // Short names: socket paths must fit sockaddr_un.
    std::string pattern = "/tmp/zt-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char *name, const char *value) : name_(name) {
    if (const char *old = std::getenv(name)) {
        had_ = true;
        old_ = old;
    }
    if (value != nullptr) {
        ::setenv(name, value, 1);
    } else {
        ::unsetenv(name);
    }
}

ScopedEnv::~ScopedEnv() {
    if (had_) {
        ::setenv(name_.c_str(), old_.c_str(), 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

}  // namespace zeltest
