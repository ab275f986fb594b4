// The Open and Save As dialogs on screen (Qt's file dialogs).
#pragma once

#include <QStringList>

#include "base/file_chooser.h"

class QWidget;

namespace zelapp {

// "ZEL Setups (*.zel)|*.zel|All (*.*)|*.*" becomes Qt's "ZEL Setups (*.zel);;All (*.*)": each
// pair of description and pattern is one filter; a description without its pattern in
// brackets gets it added.
QStringList qtFileFilters(const QString &filter);

class FileDialogChooser : public FileChooser {
  public:
    explicit FileDialogChooser(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    QString chooseOpenFile(const FileDialogRequest &request) override;
    QString chooseSaveFile(const FileDialogRequest &request) override;
    QString chooseFolder(const QString &initialFolder) override;

  private:
    QString choose(const FileDialogRequest &request, bool save);
    QWidget *parent_;
};

}  // namespace zelapp
