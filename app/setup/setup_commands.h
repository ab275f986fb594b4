// The File menu's setup commands, New, Open, Save and Save As, with the hidden LoadTest entry,
// and the load of the setup named at start-up. No widgets: the file dialogs and message boxes
// come in through FileChooser and Prompter.
#pragma once

#include <QChar>
#include <QLocale>
#include <functional>

#include "setup/setup_reader.h"

namespace zelapp {

class ActivePartProgram;
class FileChooser;
class MasteredTimes;
struct PartProgram;
class Prompter;
class Setup;

class SetupCommands {
  public:
    // `locale` gives the decimal separator the files are written with and read in.
    SetupCommands(Setup &setup, Prompter &prompter, FileChooser &chooser,
                  QLocale locale = QLocale());

    // New and Open replace the setup only after the open dialogs asked about their edits and a
    // modified setup was offered for saving; Open asks for the file after both. Cancelling
    // any of them changes nothing.
    void NewFile_Click();
    void OpenFile_Click();
    // Writes the setup to SetupFileName, or runs Save As when there is no name. Returns whether
    // the file was written. A failed write says so in a message and leaves SetupModified alone.
    bool SaveFile_Click();
    // Asks for a file name and writes the setup there; on success that file becomes the setup
    // file and the caption names it. Cancelled or failed: false, name and caption unchanged.
    bool SaveAsFile_Click();
    void LoadTest_Click();
    // Open without the file dialog (the File menu's last setups): the same questions, then the
    // load. NoFile when a question was cancelled.
    SetupLoad openSetupFile(const QString &path);

    // Told the path of each setup file loaded whole or written: the list of last setups.
    void setFileUsedHandler(std::function<void(const QString &)> handler) {
        fileUsed_ = std::move(handler);
    }

    // Loads the file named by SetupFileName (the command line's setup file at start-up).
    SetupLoad loadSetupFile();

    // The open dialogs' questions before their setup is replaced; false when one was cancelled.
    void setReplaceGuard(std::function<bool()> guard) { replaceGuard_ = std::move(guard); }
    // The mastering times that go with the setup: read from the part file beside a setup that
    // loads, cleared at New, and written into the part file at each successful save.
    void setMasteredTimes(MasteredTimes *times) { masteredTimes_ = times; }
    // The part program that goes with the setup, the same way: read at each load (its lines
    // that do not read told in one message), the defaults at New, written at each save. Save As
    // offers to copy the old setup's part file along first.
    void setPartProgram(ActivePartProgram *program) { partProgram_ = program; }
    // The part program dialog's save: `program` becomes the session's and is written into the
    // part file beside the setup (a failure, or No to replacing a file that did not read
    // cleanly, leaves the file and keeps the program for this session). A setup never saved is
    // offered Save As first; No keeps the program for this session only. False when the
    // operator cancelled (the program then stays as it was) or Save As did not save.
    bool savePartProgram(const PartProgram &program);
    // Whether the setup may be replaced: the dialogs' questions, then "Setup has been
    // modified" (Yes saves, through Save As without a name; a cancelled or failed save stops).
    bool confirmReplace();
    // "Setup has been modified" / "Save changes" when it is: Yes saves (by Save, or always by
    // Save As as the close does), No goes on; Cancel, or a save cancelled or failed, stops.
    enum class SaveBy { Save, SaveAs };
    bool confirmSetupChanges(SaveBy save);

    QChar decimalSeparator() const;
    Setup &setup() { return setup_; }

  private:
    void used(const QString &path) const;
    // The writer: the whole setup to `path`; on success SetupModified is cleared.
    // `copyPartOf`: a setup whose part file is copied whole beside `path` before it is written.
    bool writeSetup(const QString &path, const QString &copyPartOf = {});
    // The mastering times and the part program into the part file of `setupPath`, in one write.
    void writePartFile(const QString &setupPath);
    // The part program from the part file's `bytes`, read from beside `setupPath`.
    void readPartProgram(const QString &setupPath, const QByteArray &bytes);
    // Writes the part program alone into the part file of `setupPath` (the dialog's save).
    void writePartProgram(const QString &setupPath);
    // Whether the part program may go there: the part file it was read from is, when it did not
    // read cleanly, replaced only after a question.
    bool mayWritePartProgram(const QString &setupPath);
    // The part file of `setupPath` holds the part program now: it is clean.
    void partProgramWritten(const QString &setupPath);
    // The setup whose part file Save As to `chosen` copies along: the current one, when its part
    // file is there, the names differ and the operator says so; empty otherwise.
    QString partFileToCopy(const QString &chosen);

    Setup &setup_;
    Prompter &prompter_;
    FileChooser &chooser_;
    QLocale locale_;
    std::function<bool()> replaceGuard_;
    std::function<void(const QString &)> fileUsed_;
    MasteredTimes *masteredTimes_ = nullptr;
    ActivePartProgram *partProgram_ = nullptr;
    QString programFrom_;  // the setup whose part file the part program was read from
};

}  // namespace zelapp
