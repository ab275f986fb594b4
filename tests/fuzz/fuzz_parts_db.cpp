// Any bytes laid over the pages of a real parts' history: reading it through a read-only store
// (opening, counting, the pages, the revisions, the CSV) must end in an answer or a failure,
// never a crash. The input is records of a page (1 byte), an offset in it (2 bytes), a length
// (1 byte) and that many bytes to write there.
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "history_reading.h"

namespace {

constexpr int kPageSize = 4096;  // SQLite's default, which the store keeps

zelapp::PartResult part(int n) {
    zelapp::PartResult result;
    result.number = n % 2 ? QStringLiteral("A-100") : QStringLiteral("B-7");
    result.description = QStringLiteral("Shaft");
    result.ended = QDateTime(QDate(2026, 3, 4), QTime(10, 0, n), QTimeZone(3600));
    result.completed = n % 5 != 0;
    result.verdict = zelapp::ToleranceVerdict::Good;
    for (int c = 1; result.completed && c <= 3 + n % 3; ++c) {
        zelapp::CharacteristicResult characteristic;
        characteristic.channel = c;
        characteristic.description = QStringLiteral("Bore %1").arg(c);
        characteristic.decimals = 3 + n % 2;  // two revisions
        characteristic.value = float(n * c) / 1000.0f;
        characteristic.verdict = zelapp::ToleranceVerdict::Good;
        result.characteristics.push_back(characteristic);
    }
    return result;
}

struct Seed {
    QTemporaryDir dir;
    QString file;
    QByteArray bytes;
};

// Static, so that its folder is removed when the fuzzer exits.
Seed seed;

void makeSeed() {
    const QString made = seed.dir.filePath(QStringLiteral("seed.db"));
    {
        zelapp::PartStore store;
        zelapp::OpenOptions options;
        options.fullSync = false;  // a seed made once, never after a power cut
        if (!store.open(made, options).ok()) {
            std::abort();
        }
        for (int n = 1; n <= 60; ++n) {
            if (!store
                     .append(part(n), {QStringLiteral("/setups/shaft.zel"),
                                       QStringLiteral("Gauge 1"),
                                       {{1, QStringLiteral("T1")}}})
                     .ok()) {
                std::abort();
            }
        }
    }  // the last connection checkpoints the WAL into the file
    // Read and written below with no connection of this process open on these files: a
    // descriptor closed would drop the locks of one (history/sqlite_file.h).
    QFile file(made);
    if (!file.open(QIODevice::ReadOnly)) {
        std::abort();
    }
    seed.bytes = file.readAll();
    seed.file = seed.dir.filePath(QStringLiteral("fuzzed.db"));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv);  // Qt SQL finds its driver through it
    makeSeed();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    QByteArray bytes = seed.bytes;
    const qsizetype pages = bytes.size() / kPageSize;
    std::size_t at = 0;
    while (at + 4 <= size) {
        const qsizetype page = data[at] % pages;
        const qsizetype offset = (data[at + 1] | data[at + 2] << 8) % kPageSize;
        const std::size_t length = std::min<std::size_t>(data[at + 3], size - at - 4);
        at += 4;
        for (std::size_t i = 0; i < length; ++i) {
            const qsizetype where = page * kPageSize + offset + qsizetype(i);
            if (where < bytes.size()) {
                bytes[where] = char(data[at + i]);
            }
        }
        at += length;
    }
    for (const char *suffix : {"", "-wal", "-shm"}) {
        QFile::remove(seed.file + QString::fromLatin1(suffix));
    }
    QFile file(seed.file);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::abort();
    }
    file.close();
    zeltest::readWholeHistory(seed.file);
    return 0;
}
