// Makes writes beyond a size fail for the length of a scope, as a full disk would; unlike
// permissions it binds the superuser too, so the tests run the same in CI.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstddef>

namespace zeltest {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::size_t bytes) {
        handler_ = std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
        ::getrlimit(RLIMIT_FSIZE, &old_);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return active_; }

  private:
    struct rlimit old_ {};
    void (*handler_)(int) = nullptr;
    bool active_ = false;
};

}  // namespace zeltest
