// A device library with only a few of the exports, for the binding's missing-entry cases. Its
// answers differ from the real library's, so a test sees which library it reached.
#include "zelcomm.h"

namespace {

ZelMessageHook hook = nullptr;

// One message in the given MessageBoxA style: 0 when a hook took it, 1 without a hook.
int32_t showMessage(const char *caption, int32_t style) {
    if (hook == nullptr) {
        return 1;
    }
    hook("Span 5 \xB5m", caption, static_cast<uint32_t>(style));
    return 0;
}

}  // namespace

extern "C" {

// Channel c reads c + 0.5.
ZEL_EXPORT int32_t ZELAPI ZelReadChannel(int32_t channel, float *value) {
    *value = static_cast<float>(channel) + 0.5f;
    return 0;
}

// The time argument is the message style here.
ZEL_EXPORT int32_t ZELAPI ZelSetScanTime(int32_t time) {
    return showMessage("Partial \xB0", time);
}

// A message without a caption of its own; the count argument is the message style.
ZEL_EXPORT int32_t ZELAPI ZelSetAdcAvg(int32_t count) {
    return showMessage(nullptr, count);
}

ZEL_EXPORT void ZELAPI ZelSetMessageHook(ZelMessageHook newHook) {
    hook = newHook;
}

}  // extern "C"
