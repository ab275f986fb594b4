// The Open and Save file dialogs, behind an interface so that the setup commands run headless.
#pragma once

#include <QString>

namespace zelapp {

struct FileDialogRequest {
    QString filter;            // "ZEL Setups (*.zel)|*.zel|All (*.*)|*.*"
    QString defaultExtension;  // "zel", or empty
    QString initialFolder;
};

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // The chosen path, or an empty text when the operator cancelled.
    virtual QString chooseOpenFile(const FileDialogRequest &request) = 0;
    virtual QString chooseSaveFile(const FileDialogRequest &request) = 0;
};

}  // namespace zelapp
