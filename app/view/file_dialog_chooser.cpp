#include "view/file_dialog_chooser.h"

#include <QFileDialog>

namespace zelapp {

QStringList qtFileFilters(const QString &filter) {
    const QStringList parts = filter.split(QChar(u'|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString pattern = parts[i + 1].trimmed();
        pattern.replace(QChar(u';'), QChar(u' '));
        filters << (description.contains(QChar(u'('))
                        ? description
                        : description + QStringLiteral(" (") + pattern + QChar(u')'));
    }
    return filters;
}

QString FileDialogChooser::chooseOpenFile(const FileDialogRequest &request) {
    return choose(request, false);
}

QString FileDialogChooser::chooseSaveFile(const FileDialogRequest &request) {
    return choose(request, true);
}

QString FileDialogChooser::chooseFolder(const QString &initialFolder) {
    return QFileDialog::getExistingDirectory(parent_, {}, initialFolder);
}

QString FileDialogChooser::choose(const FileDialogRequest &request, bool save) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(qtFileFilters(request.filter));
    if (!request.defaultExtension.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultExtension);
    }
    if (request.keepsExisting) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (!request.initialFolder.isEmpty()) {
        dialog.setDirectory(request.initialFolder);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace zelapp
