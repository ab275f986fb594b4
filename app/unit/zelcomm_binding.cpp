#include "unit/zelcomm_binding.h"

#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <type_traits>
#include <utility>

// Only for the function types and their calling convention: the symbols themselves are never
// referenced, since the program does not link the library.
#include "zelcomm.h"

using namespace Qt::StringLiterals;

namespace zelapp {

enum class ZelcommBinding::Export : std::size_t {
    ZEL_UNIT_CALLS(ZEL_UNIT_CALL_ENUMERATOR) ZelSetMessageHook,
    Count
};

namespace {

// In the order of ZelcommBinding::Export.
constexpr std::array kExportNames = {ZEL_UNIT_CALLS(ZEL_UNIT_CALL_NAME) "ZelSetMessageHook"};

// Every call of the list has the signature of its export in zelcomm.h.
#define ZEL_CHECK_SIGNATURE(result, name, params, args)                       \
    static_assert(std::is_same_v<decltype(&::name), result(ZELAPI *) params>, \
                  #name " differs from zelcomm.h");
ZEL_UNIT_CALLS(ZEL_CHECK_SIGNATURE)
#undef ZEL_CHECK_SIGNATURE

constexpr int32_t kCallFailed = kUnitNotCommunicating;

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
    const auto setHook = functions_[static_cast<std::size_t>(Export::ZelSetMessageHook)];
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

template <typename Function>
Function ZelcommBinding::entry(Export which) {
    return reinterpret_cast<Function>(resolve(which));
}

void ZelcommBinding::reportFailure(const QString &message) {
    if (onFailure_) {
        onFailure_(message);
    }
}

void ZelcommBinding::installMessageHook(Prompter &prompter) {
    const QFunctionPointer setHook = resolve(Export::ZelSetMessageHook);
    if (setHook == nullptr) {
        return;
    }
    hookPrompter = &prompter;
    hookOwner = this;
    reinterpret_cast<decltype(&::ZelSetMessageHook)>(setHook)(&messageTrampoline);
}

// ---- Forwarding ---------------------------------------------------------------------------

// A call whose export cannot be reached returns kCallFailed (or nothing, for ZelMsgBox) and
// writes no outputs.
#define ZEL_FORWARD(result, name, params, args)                       \
    result ZelcommBinding::name params {                              \
        const auto function = entry<decltype(&::name)>(Export::name); \
        if (function == nullptr) {                                    \
            return static_cast<result>(kCallFailed);                  \
        }                                                             \
        return function args;                                         \
    }
ZEL_UNIT_CALLS(ZEL_FORWARD)
#undef ZEL_FORWARD

ZelcommBinding::FailureHandler reportAndExit(Prompter &prompter, int exitStatus) {
    return [&prompter, exitStatus](const QString &message) {
        prompter.message(message, QString(), PromptIcon::Critical);
        std::exit(exitStatus);
    };
}

}  // namespace zelapp
