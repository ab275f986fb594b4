// Any bytes as an amplifier profile: the reader must never crash, a refused file must hand back
// no records, and the records of a file it loads must come back unchanged, without a warning,
// from the writer's own file.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dialogs/amp_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte is the setup's probe count, the rest the file.
    const int maxLvdt = data[0];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1),
                           static_cast<qsizetype>(size - 1));

    const zelapp::AmpProfileRead first = zelapp::readAmpProfile(bytes, maxLvdt);
    if (first.outcome != zelapp::AmpProfileRead::Outcome::Loaded) {
        if (!first.records.empty() || first.message.isEmpty()) {
            std::abort();
        }
        return 0;
    }
    for (const zelapp::AmpRecord &r : first.records) {
        if (r.probe < 1 || r.probe > maxLvdt) {
            std::abort();
        }
    }

    const zelapp::AmpProfileRead second =
        zelapp::readAmpProfile(zelapp::ampProfileText(maxLvdt, first.records), maxLvdt);
    if (second.outcome != zelapp::AmpProfileRead::Outcome::Loaded || !second.warnings.empty() ||
        second.records != first.records) {
        std::abort();
    }
    return 0;
}
