// The about window's texts without the window: the description, firmware and library blocks
// (the library named by its file on this platform, libzelcomm.so on Linux),
// each line ended by a carriage return, and the caption. The two version texts are kept as the
// library hands such texts over: in a 64-character buffer that starts filled with '?', the text
// being what comes before the first '?'.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

#include "base/app_state.h"
#include "unit/unit_api.h"

namespace zelapp {

inline constexpr std::size_t kVersionBufferSize = 64;
using VersionBuffer = std::array<char, kVersionBufferSize>;

// A buffer holding `text` (cut to the buffer's size), the rest '?'.
VersionBuffer versionBuffer(const QByteArray &text = {});
// The part of the buffer before the first '?' (all of it when there is none).
QString versionText(const VersionBuffer &buffer);

// The library's version number as its high byte, "." and its low byte in two digits
// (769 gives "3.01").
QString libraryVersionText(int32_t number);

struct AboutTexts {
    QString caption;
    QString LabelDescription;
    QString LabelFirmware;
    QString LabelDLL;
};

AboutTexts aboutTexts(const AppState &state, const VersionBuffer &firmwareVersion,
                      const VersionBuffer &libraryVersion);
// As the window fills itself: the firmware version is not known ("N/A"; no request reports it),
// the library's comes from ZelDLL.
AboutTexts aboutTexts(const AppState &state, UnitApi &unit);

}  // namespace zelapp
