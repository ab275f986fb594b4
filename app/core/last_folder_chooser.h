// The file dialogs open in the folder the operator last chose a file of the same kind in:
// setups (.zel) and amplifier profiles (.zap) each keep their own, in the per-user settings
// store. Before the first choice a dialog opens in the user's documents folder (the home folder
// when there is none), never in the program's folder.
#pragma once

#include <QString>

#include "base/file_chooser.h"

namespace zelapp {

class SettingsStore;

// The user's documents folder, or the home folder when the platform names none that exists.
QString defaultFileFolder();

class LastFolderChooser : public FileChooser {
  public:
    LastFolderChooser(FileChooser &dialogs, SettingsStore &store,
                      QString firstFolder = defaultFileFolder());

    // The request's own folder is replaced by the last one used for its kind of file.
    QString chooseOpenFile(const FileDialogRequest &request) override;
    QString chooseSaveFile(const FileDialogRequest &request) override;
    // A folder is no kind of file: it opens where asked, else in the first folder.
    QString chooseFolder(const QString &initialFolder) override;

    // The folder a dialog for `request` opens in.
    QString folderFor(const FileDialogRequest &request) const;
    // The kind of file a request asks for: its default extension, else the extension of the
    // filter's first pattern ("zel" for "ZEL Setups (*.zel)|*.zel|..."), in lower case.
    static QString kindOf(const FileDialogRequest &request);

  private:
    QString chosen(const FileDialogRequest &request, const QString &path);

    FileChooser &dialogs_;
    SettingsStore &store_;
    QString firstFolder_;
};

}  // namespace zelapp
