// A private folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <string>

namespace zeltest {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::string &path() const { return path_; }

  private:
    std::string path_;
};

// Sets an environment variable for the life of the object, then restores the old value.
class ScopedEnv {
  public:
    ScopedEnv(const char *name, const char *value);  // nullptr value: unset
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

  private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace zeltest
