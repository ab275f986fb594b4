// A DFQ folder in memory for the export's tests: each folder can be missing (unmounted: its
// files are kept but out of reach), read-only or full; a call can "crash" the program (throws
// FakeDfqFolder::Crash) right after a write, or before or after a rename; the calls are counted
// and `onCall` runs at each (a slow mount, a stall).
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <ostream>
#include <vector>

#include "dfq/dfq_folder.h"
#include "dfq/dfq_sender.h"

namespace zelapp {

// GoogleTest's words for what waits after a pass.
inline void PrintTo(const DfqWaiting &waiting, std::ostream *out) {
    *out << waiting.count << " waiting, cause \"" << waiting.cause.toStdString() << '"';
}

}  // namespace zelapp

namespace zeltest {

class FakeDfqFolder : public zelapp::DfqFolder {
  public:
    enum class State { Present, Missing, ReadOnly, Full };
    struct Crash {};
    enum class CrashAt { Never, AfterWrite, BeforeRename, AfterRename };

    std::map<QString, State> states;  // a folder absent here is present
    std::map<QString, std::map<QString, QByteArray>> files;
    std::vector<QString> arrived;      // "folder/name" of each file renamed, in order
    CrashAt crashAt = CrashAt::Never;  // once: set back to Never when it happens
    int writes = 0;
    int renames = 0;
    std::function<void()> onCall;

    // The upload service: imports and removes the ".dfq" files of a folder, oldest name first.
    std::vector<QByteArray> takeAll(const QString &folder) {
        std::vector<QByteArray> taken;
        auto &inFolder = files[folder];
        for (auto file = inFolder.begin(); file != inFolder.end();) {
            if (file->first.endsWith(QStringLiteral(".dfq"))) {
                taken.push_back(file->second);
                file = inFolder.erase(file);
            } else {
                ++file;
            }
        }
        return taken;
    }
    // The names in a folder, whatever its state.
    std::vector<QString> names(const QString &folder) const {
        std::vector<QString> list;
        if (const auto found = files.find(folder); found != files.end()) {
            for (const auto &file : found->second) {
                list.push_back(file.first);
            }
        }
        return list;
    }

    std::optional<QString> writeFlushed(const QString &folder, const QString &name,
                                        const QByteArray &bytes) override {
        called();
        switch (state(folder)) {
            case State::Missing:
                return QStringLiteral("No such file or directory");
            case State::ReadOnly:
                return QStringLiteral("Read-only file system");
            case State::Full:
                return QStringLiteral("No space left on device");
            case State::Present:
                break;
        }
        files[folder][name] = bytes;
        ++writes;
        crashIf(CrashAt::AfterWrite);
        return std::nullopt;
    }

    bool exists(const QString &folder, const QString &name) override {
        called();
        if (state(folder) == State::Missing) {
            return false;
        }
        return name.isEmpty() || files[folder].count(name) > 0;
    }

    std::optional<QString> rename(const QString &folder, const QString &from,
                                  const QString &to) override {
        called();
        if (state(folder) == State::Missing) {
            return QStringLiteral("No such file or directory");
        }
        if (state(folder) == State::ReadOnly) {
            return QStringLiteral("Read-only file system");
        }
        crashIf(CrashAt::BeforeRename);
        auto &inFolder = files[folder];
        if (!inFolder.count(from)) {
            return QStringLiteral("No such file or directory");
        }
        if (inFolder.count(to)) {
            return QStringLiteral("File exists");
        }
        inFolder[to] = inFolder[from];
        inFolder.erase(from);
        arrived.push_back(folder + QLatin1Char('/') + to);
        ++renames;
        crashIf(CrashAt::AfterRename);
        return std::nullopt;
    }

    std::optional<QString> remove(const QString &folder, const QString &name) override {
        called();
        if (state(folder) == State::Missing) {
            return QStringLiteral("No such file or directory");
        }
        files[folder].erase(name);
        return std::nullopt;
    }

  private:
    State state(const QString &folder) const {
        const auto found = states.find(folder);
        return found == states.end() ? State::Present : found->second;
    }
    void called() {
        if (onCall) {
            onCall();
        }
    }
    void crashIf(CrashAt at) {
        if (crashAt == at) {
            crashAt = CrashAt::Never;
            throw Crash{};
        }
    }
};

}  // namespace zeltest
