// The program's session brought up for a benchmark as main() would: zelapp.ini with the
// channel count, then start-up against whatever unit the session was given. Messages of the
// library go to standard error.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>

#include "session_fixture.h"

namespace zelbench {

// What the library reports (a missing entry point, say): on standard error.
inline void printLibraryFailure(const QString &message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// Writes zelapp.ini with MaxChannel `channels` and runs start-up; false, with a line on
// standard error, when the program does not run.
inline bool startWithChannels(zeltest::SessionFixture &f, int channels) {
    QFile ini(QDir(f.programFolder()).filePath(QStringLiteral("zelapp.ini")));
    const QByteArray text =
        "[ZELAPP Version 6.01]\r\n[General Setup]\r\nMaxChannel= " + QByteArray::number(channels) +
        " \r\n";
    if (!ini.open(QIODevice::WriteOnly) || ini.write(text) != text.size()) {
        std::fprintf(stderr, "cannot write zelapp.ini\n");
        return false;
    }
    ini.close();
    if (f.start() != zelapp::StartupResult::Running) {
        std::fprintf(stderr, "no unit\n");
        return false;
    }
    return true;
}

}  // namespace zelbench
