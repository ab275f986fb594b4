// The Open and Save file dialogs and the folder dialog, behind an interface so that the setup
// commands run headless.
#pragma once

#include <QString>

namespace zelapp {

struct FileDialogRequest {
    QString filter;            // "ZEL Setups (*.zel)|*.zel|All (*.*)|*.*"
    QString defaultExtension;  // "zel", or empty
    QString initialFolder;
    // A save dialog whose existing file is used, not written over (a history chosen to write
    // into): no question about replacing it.
    bool keepsExisting = false;
};

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // The chosen path, or an empty text when the operator cancelled.
    virtual QString chooseOpenFile(const FileDialogRequest &request) = 0;
    virtual QString chooseSaveFile(const FileDialogRequest &request) = 0;
    // An existing folder (a DFQ upload folder), opening in `initialFolder` when it exists.
    virtual QString chooseFolder(const QString &initialFolder) = 0;
};

}  // namespace zelapp
