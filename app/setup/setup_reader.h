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
    Unreadable,  // the file exists but cannot be read: one message, nothing changed
    Loaded,      // read to "[End Setup]" or to the end of the file
    Stopped,     // a line could not be decoded: one message, the setup holds what came before
};

class SetupReader {
  public:
    // Reals are read in `locale`; text written with "." is accepted in every locale.
    SetupReader(Setup &setup, Prompter &prompter, QLocale locale = QLocale());

    // Loads the file named by SetupFileName.
    SetupLoad read();

    // Loads a setup from the bytes of a file already read; `fileName` goes into the messages
    // and the caption. Never NoFile, NotFound or Unreadable.
    //
    // A load that stops at a line it cannot decode leaves SetupModified true and
    // SetupFileName empty, and the caption says "(not loaded)" after the path: the setup in
    // memory matches neither the old one nor the file, and a plain Save must not overwrite the
    // file with the part that was read.
    SetupLoad readText(const QByteArray &bytes, const QString &fileName);

  private:
    Setup &setup_;
    Prompter &prompter_;
    QLocale locale_;
};

}  // namespace zelapp
