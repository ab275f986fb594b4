#include "dialogs/about.h"

#include <algorithm>

#include "unit/zelcomm_binding.h"

namespace zelapp {

namespace {
constexpr char kEmpty = '?';
const QChar kCr = QLatin1Char('\r');
}  // namespace

VersionBuffer versionBuffer(const QByteArray &text) {
    VersionBuffer buffer;
    buffer.fill(kEmpty);
    std::copy_n(text.constData(), std::min(buffer.size(), static_cast<std::size_t>(text.size())),
                buffer.begin());
    return buffer;
}

QString versionText(const VersionBuffer &buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), kEmpty);
    return QString::fromLatin1(buffer.data(), end - buffer.begin());
}

QString libraryVersionText(int32_t number) {
    return QString::number((number >> 8) & 0xFF) + QLatin1Char('.') +
           QStringLiteral("%1").arg(number & 0xFF, 2, 10, QLatin1Char('0'));
}

AboutTexts aboutTexts(const AppState &state, const VersionBuffer &firmwareVersion,
                      const VersionBuffer &libraryVersion) {
    AboutTexts texts;
    texts.caption =
        QStringLiteral("About ") + state.ProductTitle + QStringLiteral(" - ") + state.MakerName;
    texts.LabelDescription = state.ProductTitle + QStringLiteral(" server program") + kCr +
                             QStringLiteral("Version 6.0") + kCr + state.MakerName + kCr;
    texts.LabelFirmware = state.ProductTitle + QStringLiteral(" Firmware currently in use:") + kCr +
                          QStringLiteral("File: ") + state.FirmwareFileName + kCr +
                          QStringLiteral("Version: ") + versionText(firmwareVersion) + kCr;
    // The library as this platform names its file: the one the operator would look for.
    texts.LabelDLL = ZelcommBinding::libraryFileName() + kCr + QStringLiteral("Version: ") +
                     versionText(libraryVersion) + kCr;
    return texts;
}

AboutTexts aboutTexts(const AppState &state, UnitApi &unit) {
    return aboutTexts(state, versionBuffer("N/A"),
                      versionBuffer(libraryVersionText(unit.ZelDLL()).toLatin1()));
}

}  // namespace zelapp
