// The real unit: binds the exports of the device library by name at run time. The program does
// not link the library, so a missing library or export becomes a clear message instead of a
// loader error before the program starts.
#pragma once

#include <QLibrary>
#include <QString>
#include <array>
#include <cstddef>
#include <functional>

#include "base/prompter.h"
#include "unit/unit_api.h"

namespace zelapp {

class ZelcommBinding : public UnitApi {
  public:
    // Shows the message; the application ends the program there. When it returns, the failed
    // call returns -1 and writes no outputs.
    using FailureHandler = std::function<void(const QString &message)>;

    // The library is looked for in programFolder first, then on the system's library path,
    // at the first call; an empty folder skips the first step.
    ZelcommBinding(QString programFolder, FailureHandler onFailure);
    ~ZelcommBinding() override;
    ZelcommBinding(const ZelcommBinding &) = delete;
    ZelcommBinding &operator=(const ZelcommBinding &) = delete;

    // The library's file name on this platform ("libzelcomm.so", "zelcomm.dll").
    static QString libraryFileName();

    // Sends every message box of the library to prompter until this binding is destroyed.
    void installMessageHook(Prompter &prompter);

    // The file actually loaded (as the system loader was given it); empty before the first call
    // or when loading failed.
    QString libraryPath() const { return libraryPath_; }

    ZEL_UNIT_CALLS(ZEL_UNIT_CALL_OVERRIDE)

  private:
    // The unit's calls, then the message hook.
    enum class Export : std::size_t;
    static constexpr std::size_t kExportCount = kUnitCallCount + 1;

    enum class LoadState { NotTried, Loaded, Failed };

    bool ensureLoaded();
    QFunctionPointer resolve(Export which);
    template <typename Function>
    Function entry(Export which);
    void reportFailure(const QString &message);

    QString programFolder_;
    FailureHandler onFailure_;
    QLibrary library_;
    LoadState loadState_ = LoadState::NotTried;
    QString libraryPath_;
    std::array<QFunctionPointer, kExportCount> functions_{};
    std::array<bool, kExportCount> missing_{};
};

// The program's failure handler: shows the message as a critical box, then ends the process
// with `exitStatus` (the program cannot go on without the library).
ZelcommBinding::FailureHandler reportAndExit(Prompter &prompter, int exitStatus);

}  // namespace zelapp
