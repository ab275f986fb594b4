// Any bytes as a setup file: the reader must never crash, and a setup it loads completely must
// survive a save and a reload unchanged (the second file equals the first, byte for byte).
#include <QByteArray>
#include <QLocale>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/runtime_text.h"
#include "setup/setup_reader.h"
#include "setup/setup_writer.h"
#include "setup_fixture.h"

namespace {

// Counts up to 32767 are fine for the reader, but every channel costs library calls; larger
// setups add run time without adding paths.
constexpr double kMaxFuzzedCount = 64;

bool hasLargeCount(const QByteArray &bytes) {
    for (const QByteArray &line : bytes.split('\n')) {
        for (const char *key : {"MaxChannel=", "MaxLVDT=", "MaxAnalog="}) {
            if (line.startsWith(key)) {
                const QString value = QString::fromLatin1(line.mid(qstrlen(key)));
                if (zelapp::rt::leadingNumber(value) > kMaxFuzzedCount) {
                    return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (hasLargeCount(bytes)) {
        return 0;
    }
    const QString name = QStringLiteral("fuzz.zel");

    zeltest::SetupFixture first;
    if (zelapp::SetupReader(first.setup, first.prompter, QLocale::c()).readText(bytes, name) !=
        zelapp::SetupLoad::Loaded) {
        return 0;
    }
    const QByteArray written = zelapp::setupFileText(first.setup, QLatin1Char('.'));

    zeltest::SetupFixture second;
    const auto reload =
        zelapp::SetupReader(second.setup, second.prompter, QLocale::c()).readText(written, name);
    // The writer's own file loads without a single message.
    if (reload != zelapp::SetupLoad::Loaded || !second.prompter.shown.empty()) {
        std::abort();
    }
    if (zelapp::setupFileText(second.setup, QLatin1Char('.')) != written) {
        std::abort();
    }
    return 0;
}
