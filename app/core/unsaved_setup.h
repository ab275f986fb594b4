// A setup with changes the program had to close on without asking (a stop the system asked for,
// where nobody can be asked) is not saved over its file: it is kept beside it, as
// "<setup>.unsaved" ("shaft.zel.unsaved"), in the bytes Save would have written, so that nothing
// typed is lost. The next start says where, and puts the file first in the File menu's last
// setups, from where it opens as any setup does.
//
// Where: beside the setup file when it is there; a setup that has no file yet (never saved, or
// a load that stopped) goes to the folder setups were last opened from or saved to (the File
// dialogs' folder), as "untitled.zel.unsaved" when it has no name at all. When that folder
// cannot be written, to the settings folder (~/.config/zelapp).
#pragma once

#include <QChar>
#include <QString>

namespace zelapp {

class Prompter;
class RecentSetups;
class SettingsStore;
class Setup;

// What keeping the setup came to.
struct KeptSetup {
    QString file;   // where it was kept; empty: unmodified, or it could not be written
    QString error;  // why it could not be written; empty when it was, or nothing was to keep
};

class UnsavedSetups {
  public:
    UnsavedSetups(SettingsStore &store, Prompter &prompter, RecentSetups &recent);

    // Keeps `setup` when it is modified (SetupModified), with reals written with `separator`;
    // `lastFolder` is the folder a setup without a file goes to. The file is recorded in the
    // settings store for the next start.
    KeptSetup keep(Setup &setup, QChar separator, const QString &lastFolder);

    // At start, after the setup has loaded: tells of the setup the last run kept when it is
    // still there, puts it first in the last setups, and forgets it (it is told once).
    void tellKept();

  private:
    SettingsStore &store_;
    Prompter &prompter_;
    RecentSetups &recent_;
};

}  // namespace zelapp
