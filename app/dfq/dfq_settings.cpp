#include "dfq/dfq_settings.h"

#include <QFileInfo>
#include <QSettings>

namespace zelapp {

DfqSettings readDfqSettings(const QString &settingsFile) {
    DfqSettings dfq;
    if (settingsFile.isEmpty() || !QFileInfo::exists(settingsFile)) {
        return dfq;
    }
    const QSettings settings(settingsFile, QSettings::IniFormat);
    const auto word = [&settings](const char *key) {
        return settings.value(QStringLiteral("Results/") + QLatin1String(key))
            .toString()
            .trimmed()
            .toLower();
    };
    dfq.folder = settings.value(QStringLiteral("Results/DfqFolder")).toString().trimmed();
    if (word("DfqEncoding") == u"utf-8") {
        dfq.encoding = DfqEncoding::Utf8;
    }
    if (word("DfqFiles") == u"hour") {
        dfq.files = DfqFiles::PerHour;
    }
    return dfq;
}

}  // namespace zelapp
