// The File menu's list of the last setups opened or saved: newest first, each once, at most
// eight, kept in the per-user settings store (never in zelapp.ini or a setup file). Choosing
// one opens it as File > Open does; a file no longer there is taken off the list after the
// reader said "file not found".
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace zelapp {

class SettingsStore;
class SetupCommands;

class RecentSetups {
  public:
    static constexpr int kMostFiles = 8;

    explicit RecentSetups(SettingsStore &store);

    // Full paths, newest first.
    const QStringList &files() const { return files_; }

    // Puts `path` first (a path already listed moves up); the ninth drops off.
    void add(const QString &path);
    void remove(const QString &path);

    // Opens entry `index` (0 = newest) through the file commands, questions first. A missing
    // file leaves the list.
    void open(int index, SetupCommands &commands);

    // Told after every change of the list (the menu is built again).
    void setChangedHandler(std::function<void()> handler) { onChanged_ = std::move(handler); }

    // The menu's caption of entry `index`: "&1 shaft.zel" ... "&8 ...", the file name only.
    static QString caption(int index, const QString &path);

  private:
    void write();

    SettingsStore &store_;
    QStringList files_;
    std::function<void()> onChanged_;
};

}  // namespace zelapp
