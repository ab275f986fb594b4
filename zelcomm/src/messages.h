// Texts of the library's messages and the one place that shows them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelcomm {

inline constexpr const char *kDiagnosticCaption = "Zelcomm.dll Message";
inline constexpr const char *kDemoText = "ZEL-8 not communicating -- Entering DEMO mode";

// The text shown for a unit status (1..255, or -1 for 255), written into buffer
// (which the text always fits when size is at least 32). Returns buffer.
const char *statusText(std::int32_t status, char *buffer, std::size_t size);

// Hands a message to the installed hook, or to the platform when there is none.
void showMessage(const char *text, const char *caption);

// Reports a request's status: ZEL_NOT_COMMUNICATING always shows the demo box and enters
// demonstration mode; any other code is shown only while the error-box flag is set.
void reportStatus(std::int32_t status);
// Reports a request the library refused before sending it (shown while the error-box flag
// is set).
void reportRefusal(const char *text);

}  // namespace zelcomm
