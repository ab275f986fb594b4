#include "messages.h"

#include <cstdio>

#include "session.h"

namespace zelcomm {

const char *statusText(std::int32_t status, char *buffer, std::size_t size) {
    const char *text = nullptr;
    switch (status) {
        case ZEL_NOT_COMMUNICATING:
        case zelproto::status::NotCommunicating:
            text = kDemoText;
            break;
        case zelproto::status::BadChannel:
            text = "Bad channel number";
            break;
        case zelproto::status::BadFormula:
        case zelproto::status::BadFormula2:
        case zelproto::status::BadFormula3:
        case zelproto::status::BadFormula4:
            text = "Bad formula";
            break;
        case zelproto::status::TableFull:
            text = "Table full";
            break;
        case zelproto::status::BadProbe:
            text = "Bad probe number";
            break;
        case zelproto::status::BadNumber:
            text = "Bad number in formula";
            break;
        case zelproto::status::BadSymbol:
            text = "Bad symbol";
            break;
        case zelproto::status::TooComplex:
            text = "Formula too complex";
            break;
        case zelproto::status::Circular:
            text = "Circular channel definition";
            break;
        case zelproto::status::MemoryFull:
            text = "Memory full";
            break;
        case zelproto::status::BadSet:
            text = "Bad set in GOR or LOR function";
            break;
        default:
            // wsprintfA "%08.08X": eight upper-case hexadecimal digits.
            std::snprintf(buffer, size, "Unknown error:%08X", static_cast<unsigned>(status));
            return buffer;
    }
    std::snprintf(buffer, size, "%s", text);
    return buffer;
}

void showMessage(const char *text, const char *caption) {
    if (session.hook != nullptr) {
        session.hook(text, caption, ZEL_MESSAGE_STYLE);
    } else if (session.platform != nullptr) {
        session.platform->show(Message{text, caption, ZEL_MESSAGE_STYLE});
    }
}

void reportStatus(std::int32_t status) {
    if (status == ZEL_NOT_COMMUNICATING) {
        showMessage(kDemoText, nullptr);
        session.demo = 1;
        return;
    }
    if (session.errorBox) {
        char text[48];
        showMessage(statusText(status, text, sizeof text), nullptr);
    }
}

void reportRefusal(const char *text) {
    if (session.errorBox) {
        showMessage(text, nullptr);
    }
}

}  // namespace zelcomm
