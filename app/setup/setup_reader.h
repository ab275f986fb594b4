// The setup file reader: walks the lines of a .zel file once, top to bottom, and rebuilds the
// setup through the model operations as it goes.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

namespace zelapp {

class Prompter;
class Setup;

enum class SetupLoad {
    NoFile,      // SetupFileName is empty: nothing done
    NotFound,    // "... file not found.": nothing changed
    Unreadable,  // no file, too large, or it cannot be read: one message, nothing changed
    Loaded,      // read to "[End Setup]" or to the end of the file
    Stopped,     // a line could not be decoded, or more lines were not understood than are
                 // shown one by one: the setup holds what was read
};

class SetupReader {
  public:
    // Reals are read in `locale`; text written with "." is accepted in every locale.
    SetupReader(Setup &setup, Prompter &prompter, QLocale locale = QLocale());

    // Loads the file named by SetupFileName. What is not a regular file, or is larger than 64 MiB,
    // is refused before it is opened or read.
    SetupLoad read();

    // Loads a setup from the bytes of a file already read; `fileName` goes into the messages
    // and the caption. Never NoFile, NotFound or Unreadable.
    //
    // The messages about lines not understood are shown ten at most, then one with how many
    // more there were. A load that stops at a line it cannot decode, or passes over lines
    // without a message, leaves SetupModified true and SetupFileName empty, and the caption says
    // "(not loaded)" after the path: the setup in memory matches neither the old one nor the
    // file, and a plain Save must not overwrite the file with the part that was read.
    //
    // A group that lists more entries than the setup has channels keeps its first ones; one
    // message names the first such group and counts the others.
    SetupLoad readText(const QByteArray &bytes, const QString &fileName);

  private:
    Setup &setup_;
    Prompter &prompter_;
    QLocale locale_;
};

}  // namespace zelapp
