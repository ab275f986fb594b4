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
#include "base/unit_api.h"

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

    int32_t ZelCommInit(int32_t unused) override;
    void ZelMsgBox(int32_t flag) override;
    int32_t EppInstallMsg(int32_t flag) override;
    int32_t EppDiagMsg(int32_t flag) override;

    int32_t ZelStartScan() override;
    int32_t ZelStopScan() override;
    int32_t ZelSetScanTime(int32_t time) override;
    int32_t ZelSetAdcAvg(int32_t count) override;
    int32_t ZelSetRunAvg(int32_t count) override;
    int32_t ZelResetMM() override;

    int32_t ZelDefineChannel(int32_t channel, const char *formula) override;
    int32_t ZelClearChannel(int32_t channel) override;
    int32_t ZelClearAllChannels() override;
    int32_t ZelReadChannel(int32_t channel, float *value) override;
    int32_t ZelSetCzero(int32_t channel, float *value) override;
    int32_t ZelReadCzero(int32_t channel, float *value) override;
    int32_t ZelSetCscale(int32_t channel, float *value) override;
    int32_t ZelReadCscale(int32_t channel, float *value) override;

    int32_t ZelReadLvdt(int32_t probe, float *value) override;
    int32_t ZelSetTzero(int32_t probe, float *value) override;
    int32_t ZelReadTzero(int32_t probe, float *value) override;
    int32_t ZelSetTfsv(int32_t probe, float *value) override;
    int32_t ZelReadTfsv(int32_t probe, float *value) override;

    int32_t ZelReadAnalog(int32_t input, float *value) override;
    int32_t ZelSetAzero(int32_t input, float *value) override;
    int32_t ZelReadAzero(int32_t input, float *value) override;
    int32_t ZelSetAfsv(int32_t input, float *value) override;
    int32_t ZelReadAfsv(int32_t input, float *value) override;

    int32_t ZelSetLvdtGain(int32_t probe, int32_t coarse, int32_t ri) override;
    int32_t ZelReadLvdtGain(int32_t probe, uint8_t *coarse, uint8_t *ri) override;
    int32_t ZelSetLvdtFine(int32_t probe, int32_t fine) override;
    int32_t ZelReadLvdtFine(int32_t probe, int16_t *fine) override;
    int32_t ZelSetLvdtNull(int32_t probe, int32_t null) override;
    int32_t ZelReadLvdtNull(int32_t probe, int16_t *null) override;
    int32_t ZelSaveCalibration(int16_t *result) override;
    int32_t ZelGetSaveStatus(int16_t *done, int16_t *error) override;

  private:
    enum class Export : std::size_t;
    static constexpr std::size_t kExportCount = 37;

    enum class LoadState { NotTried, Loaded, Failed };

    bool ensureLoaded();
    QFunctionPointer resolve(Export which);
    template <typename Function, typename... Args>
    int32_t call(Export which, Args... args);
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
