// The history file as other programs on the machine see it (Linux): the POSIX locks a process
// holds on it, which tell another SQLite program that a connection still has it open, and the
// sqlite3 shell run on it as such a program.
#pragma once

#include <sys/stat.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace zeltest {

// Whether process `pid` holds a granted POSIX lock on `file` (/proc/locks).
inline bool holdsLock(qint64 pid, const QString &file) {
    struct stat info = {};
    QFile locks(QStringLiteral("/proc/locks"));
    if (::stat(QFile::encodeName(file).constData(), &info) != 0 ||
        !locks.open(QIODevice::ReadOnly)) {
        return false;
    }
    // "1: POSIX  ADVISORY  READ 17691 fe:00:10952813 1073741826 1073742335"; a waiting lock
    // has "->" after the number.
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields[1] != "POSIX") {
            continue;
        }
        const QByteArray where = fields[5];
        if (fields[4].toLongLong() == pid &&
            where.mid(where.lastIndexOf(':') + 1).toULongLong() == quint64(info.st_ino)) {
            return true;
        }
    }
    return false;
}

// What the sqlite3 shell printed running `sql` on `file`: it opens the file read-write and
// closes it, as any other program would. `ran` false when it could not be run or failed.
struct ShellRun {
    bool ran = false;
    QString output;
    QString errors;
};

inline ShellRun runSqliteShell(const QString &file, const QString &sql) {
    ShellRun run;
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) {
        run.errors = QStringLiteral("no sqlite3 shell (package sqlite3: make deps)");
        return run;
    }
    QProcess process;
    process.start(shell, {QStringLiteral("-batch"), file, sql});
    // Only a bound for a hung shell: it ends as soon as the statement has run.
    run.ran = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
              process.exitCode() == 0;
    run.output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    run.errors = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return run;
}

// The parts another program counts in the file.
inline QString partsCountedByShell(const QString &file) {
    const ShellRun run = runSqliteShell(file, QStringLiteral("SELECT count(*) FROM parts;"));
    return run.ran ? run.output : QStringLiteral("failed: ") + run.errors;
}

}  // namespace zeltest
