#include "base/zelcomm_binding.h"

#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <utility>

// Only for the function types and their calling convention: the symbols themselves are never
// referenced, since the program does not link the library.
#include "zelcomm.h"

using namespace Qt::StringLiterals;

namespace zelapp {

enum class ZelcommBinding::Export : std::size_t {
    CommInit,
    MsgBox,
    InstallMsg,
    DiagMsg,
    StartScan,
    StopScan,
    SetScanTime,
    SetAdcAvg,
    SetRunAvg,
    ResetMM,
    DefineChannel,
    ClearChannel,
    ClearAllChannels,
    ReadChannel,
    SetCzero,
    ReadCzero,
    SetCscale,
    ReadCscale,
    ReadLvdt,
    SetTzero,
    ReadTzero,
    SetTfsv,
    ReadTfsv,
    ReadAnalog,
    SetAzero,
    ReadAzero,
    SetAfsv,
    ReadAfsv,
    SetLvdtGain,
    ReadLvdtGain,
    SetLvdtFine,
    ReadLvdtFine,
    SetLvdtNull,
    ReadLvdtNull,
    SaveCalibration,
    GetSaveStatus,
    SetMessageHook,
    Count
};

namespace {

// In the order of ZelcommBinding::Export.
constexpr std::array<const char *, 37> kExportNames = {
    "ZelCommInit",         "ZelMsgBox",       "EppInstallMsg",      "EppDiagMsg",
    "ZelStartScan",        "ZelStopScan",     "ZelSetScanTime",     "ZelSetAdcAvg",
    "ZelSetRunAvg",        "ZelResetMM",      "ZelDefineChannel",   "ZelClearChannel",
    "ZelClearAllChannels", "ZelReadChannel",  "ZelSetCzero",        "ZelReadCzero",
    "ZelSetCscale",        "ZelReadCscale",   "ZelReadLvdt",        "ZelSetTzero",
    "ZelReadTzero",        "ZelSetTfsv",      "ZelReadTfsv",        "ZelReadAnalog",
    "ZelSetAzero",         "ZelReadAzero",    "ZelSetAfsv",         "ZelReadAfsv",
    "ZelSetLvdtGain",      "ZelReadLvdtGain", "ZelSetLvdtFine",     "ZelReadLvdtFine",
    "ZelSetLvdtNull",      "ZelReadLvdtNull", "ZelSaveCalibration", "ZelGetSaveStatus",
    "ZelSetMessageHook"};

constexpr int32_t kCallFailed = -1;

// The library's hook has no context argument, so the prompter it reaches lives here. Only the
// binding that installed the hook may clear it.
Prompter *hookPrompter = nullptr;
const ZelcommBinding *hookOwner = nullptr;

PromptIcon iconForStyle(uint32_t style) {
    switch (style & 0xF0u) {
        case 0x10u:
            return PromptIcon::Critical;
        case 0x20u:
            return PromptIcon::Question;
        case 0x30u:
            return PromptIcon::Warning;
        case 0x40u:
            return PromptIcon::Information;
        default:
            return PromptIcon::None;
    }
}

PromptButtons buttonsForStyle(uint32_t style) {
    switch (style & 0x0Fu) {
        case 1u:
            return PromptButtons::OkCancel;
        case 3u:
            return PromptButtons::YesNoCancel;
        case 4u:
            return PromptButtons::YesNo;
        default:
            return PromptButtons::Ok;
    }
}

void ZELAPI messageTrampoline(const char *text, const char *caption, uint32_t style) {
    if (hookPrompter == nullptr) {
        return;
    }
    // Nothing may unwind into the library's C frames.
    try {
        hookPrompter->ask(QString::fromLatin1(text), QString::fromLatin1(caption),
                          iconForStyle(style), buttonsForStyle(style));
    } catch (...) {
    }
}

}  // namespace

ZelcommBinding::ZelcommBinding(QString programFolder, FailureHandler onFailure)
    : programFolder_(std::move(programFolder)), onFailure_(std::move(onFailure)) {
    static_assert(static_cast<std::size_t>(Export::Count) == kExportCount);
    static_assert(kExportNames.size() == kExportCount);
}

ZelcommBinding::~ZelcommBinding() {
    if (hookOwner != this) {
        return;
    }
    hookPrompter = nullptr;
    hookOwner = nullptr;
    // The library stays loaded after us; it must not call into a prompter that is gone.
    const auto setHook = functions_[static_cast<std::size_t>(Export::SetMessageHook)];
    if (setHook != nullptr) {
        reinterpret_cast<decltype(&::ZelSetMessageHook)>(setHook)(nullptr);
    }
}

QString ZelcommBinding::libraryFileName() {
#ifdef Q_OS_WIN
    return u"zelcomm.dll"_s;
#else
    return u"libzelcomm.so"_s;
#endif
}

bool ZelcommBinding::ensureLoaded() {
    if (loadState_ != LoadState::NotTried) {
        return loadState_ == LoadState::Loaded;
    }
    QString reason;
    // An absolute path keeps the loader from searching or trying other names; an empty folder
    // would otherwise mean the current directory.
    if (!programFolder_.isEmpty()) {
        const QString local = QDir(programFolder_).absoluteFilePath(libraryFileName());
        if (QFileInfo(local).isFile()) {
            library_.setFileName(local);
            if (library_.load()) {
                loadState_ = LoadState::Loaded;
                libraryPath_ = local;
                return true;
            }
            reason = library_.errorString();
        }
    }
    library_.setFileName(libraryFileName());
    if (library_.load()) {
        loadState_ = LoadState::Loaded;
        libraryPath_ = library_.fileName();
        return true;
    }
    if (reason.isEmpty()) {
        reason = library_.errorString();
    }
    loadState_ = LoadState::Failed;
    reportFailure(
        u"The device library %1 could not be loaded from %2 or the system's library "
        u"path: %3"_s.arg(libraryFileName(), QDir::toNativeSeparators(programFolder_), reason));
    return false;
}

QFunctionPointer ZelcommBinding::resolve(Export which) {
    const auto index = static_cast<std::size_t>(which);
    if (functions_[index] != nullptr) {
        return functions_[index];
    }
    if (missing_[index] || !ensureLoaded()) {
        return nullptr;
    }
    functions_[index] = library_.resolve(kExportNames[index]);
    if (functions_[index] == nullptr) {
        missing_[index] = true;
        reportFailure(u"The device library %1 has no entry point %2."_s.arg(
            libraryFileName(), QLatin1StringView(kExportNames[index])));
    }
    return functions_[index];
}

template <typename Function, typename... Args>
int32_t ZelcommBinding::call(Export which, Args... args) {
    const QFunctionPointer function = resolve(which);
    if (function == nullptr) {
        return kCallFailed;
    }
    return reinterpret_cast<Function>(function)(args...);
}

void ZelcommBinding::reportFailure(const QString &message) {
    if (onFailure_) {
        onFailure_(message);
    }
}

void ZelcommBinding::installMessageHook(Prompter &prompter) {
    const QFunctionPointer setHook = resolve(Export::SetMessageHook);
    if (setHook == nullptr) {
        return;
    }
    hookPrompter = &prompter;
    hookOwner = this;
    reinterpret_cast<decltype(&::ZelSetMessageHook)>(setHook)(&messageTrampoline);
}

// ---- Forwarding ---------------------------------------------------------------------------

int32_t ZelcommBinding::ZelCommInit(int32_t unused) {
    return call<decltype(&::ZelCommInit)>(Export::CommInit, unused);
}

void ZelcommBinding::ZelMsgBox(int32_t flag) {
    if (const QFunctionPointer function = resolve(Export::MsgBox)) {
        reinterpret_cast<decltype(&::ZelMsgBox)>(function)(flag);
    }
}

int32_t ZelcommBinding::EppInstallMsg(int32_t flag) {
    return call<decltype(&::EppInstallMsg)>(Export::InstallMsg, flag);
}

int32_t ZelcommBinding::EppDiagMsg(int32_t flag) {
    return call<decltype(&::EppDiagMsg)>(Export::DiagMsg, flag);
}

int32_t ZelcommBinding::ZelStartScan() {
    return call<decltype(&::ZelStartScan)>(Export::StartScan);
}

int32_t ZelcommBinding::ZelStopScan() {
    return call<decltype(&::ZelStopScan)>(Export::StopScan);
}

int32_t ZelcommBinding::ZelSetScanTime(int32_t time) {
    return call<decltype(&::ZelSetScanTime)>(Export::SetScanTime, time);
}

int32_t ZelcommBinding::ZelSetAdcAvg(int32_t count) {
    return call<decltype(&::ZelSetAdcAvg)>(Export::SetAdcAvg, count);
}

int32_t ZelcommBinding::ZelSetRunAvg(int32_t count) {
    return call<decltype(&::ZelSetRunAvg)>(Export::SetRunAvg, count);
}

int32_t ZelcommBinding::ZelResetMM() {
    return call<decltype(&::ZelResetMM)>(Export::ResetMM);
}

int32_t ZelcommBinding::ZelDefineChannel(int32_t channel, const char *formula) {
    return call<decltype(&::ZelDefineChannel)>(Export::DefineChannel, channel, formula);
}

int32_t ZelcommBinding::ZelClearChannel(int32_t channel) {
    return call<decltype(&::ZelClearChannel)>(Export::ClearChannel, channel);
}

int32_t ZelcommBinding::ZelClearAllChannels() {
    return call<decltype(&::ZelClearAllChannels)>(Export::ClearAllChannels);
}

int32_t ZelcommBinding::ZelReadChannel(int32_t channel, float *value) {
    return call<decltype(&::ZelReadChannel)>(Export::ReadChannel, channel, value);
}

int32_t ZelcommBinding::ZelSetCzero(int32_t channel, float *value) {
    return call<decltype(&::ZelSetCzero)>(Export::SetCzero, channel, value);
}

int32_t ZelcommBinding::ZelReadCzero(int32_t channel, float *value) {
    return call<decltype(&::ZelReadCzero)>(Export::ReadCzero, channel, value);
}

int32_t ZelcommBinding::ZelSetCscale(int32_t channel, float *value) {
    return call<decltype(&::ZelSetCscale)>(Export::SetCscale, channel, value);
}

int32_t ZelcommBinding::ZelReadCscale(int32_t channel, float *value) {
    return call<decltype(&::ZelReadCscale)>(Export::ReadCscale, channel, value);
}

int32_t ZelcommBinding::ZelReadLvdt(int32_t probe, float *value) {
    return call<decltype(&::ZelReadLvdt)>(Export::ReadLvdt, probe, value);
}

int32_t ZelcommBinding::ZelSetTzero(int32_t probe, float *value) {
    return call<decltype(&::ZelSetTzero)>(Export::SetTzero, probe, value);
}

int32_t ZelcommBinding::ZelReadTzero(int32_t probe, float *value) {
    return call<decltype(&::ZelReadTzero)>(Export::ReadTzero, probe, value);
}

int32_t ZelcommBinding::ZelSetTfsv(int32_t probe, float *value) {
    return call<decltype(&::ZelSetTfsv)>(Export::SetTfsv, probe, value);
}

int32_t ZelcommBinding::ZelReadTfsv(int32_t probe, float *value) {
    return call<decltype(&::ZelReadTfsv)>(Export::ReadTfsv, probe, value);
}

int32_t ZelcommBinding::ZelReadAnalog(int32_t input, float *value) {
    return call<decltype(&::ZelReadAnalog)>(Export::ReadAnalog, input, value);
}

int32_t ZelcommBinding::ZelSetAzero(int32_t input, float *value) {
    return call<decltype(&::ZelSetAzero)>(Export::SetAzero, input, value);
}

int32_t ZelcommBinding::ZelReadAzero(int32_t input, float *value) {
    return call<decltype(&::ZelReadAzero)>(Export::ReadAzero, input, value);
}

int32_t ZelcommBinding::ZelSetAfsv(int32_t input, float *value) {
    return call<decltype(&::ZelSetAfsv)>(Export::SetAfsv, input, value);
}

int32_t ZelcommBinding::ZelReadAfsv(int32_t input, float *value) {
    return call<decltype(&::ZelReadAfsv)>(Export::ReadAfsv, input, value);
}

int32_t ZelcommBinding::ZelSetLvdtGain(int32_t probe, int32_t coarse, int32_t ri) {
    return call<decltype(&::ZelSetLvdtGain)>(Export::SetLvdtGain, probe, coarse, ri);
}

int32_t ZelcommBinding::ZelReadLvdtGain(int32_t probe, uint8_t *coarse, uint8_t *ri) {
    return call<decltype(&::ZelReadLvdtGain)>(Export::ReadLvdtGain, probe, coarse, ri);
}

int32_t ZelcommBinding::ZelSetLvdtFine(int32_t probe, int32_t fine) {
    return call<decltype(&::ZelSetLvdtFine)>(Export::SetLvdtFine, probe, fine);
}

int32_t ZelcommBinding::ZelReadLvdtFine(int32_t probe, int16_t *fine) {
    return call<decltype(&::ZelReadLvdtFine)>(Export::ReadLvdtFine, probe, fine);
}

int32_t ZelcommBinding::ZelSetLvdtNull(int32_t probe, int32_t null) {
    return call<decltype(&::ZelSetLvdtNull)>(Export::SetLvdtNull, probe, null);
}

int32_t ZelcommBinding::ZelReadLvdtNull(int32_t probe, int16_t *null) {
    return call<decltype(&::ZelReadLvdtNull)>(Export::ReadLvdtNull, probe, null);
}

int32_t ZelcommBinding::ZelSaveCalibration(int16_t *result) {
    return call<decltype(&::ZelSaveCalibration)>(Export::SaveCalibration, result);
}

int32_t ZelcommBinding::ZelGetSaveStatus(int16_t *done, int16_t *error) {
    return call<decltype(&::ZelGetSaveStatus)>(Export::GetSaveStatus, done, error);
}

ZelcommBinding::FailureHandler reportAndExit(Prompter &prompter, int exitStatus) {
    return [&prompter, exitStatus](const QString &message) {
        prompter.message(message, QString(), PromptIcon::Critical);
        std::exit(exitStatus);
    };
}

}  // namespace zelapp
