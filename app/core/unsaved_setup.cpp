#include "core/unsaved_setup.h"

#include <QDir>
#include <QFileInfo>

#include "base/prompter.h"
#include "base/settings_store.h"
#include "base/whole_file.h"
#include "core/recent_setups.h"
#include "history/parts_location.h"
#include "setup/part_file.h"
#include "setup/setup.h"
#include "setup/setup_writer.h"

namespace zelapp {

namespace {

const QString &keptSection() {
    static const QString section = QStringLiteral("UnsavedSetup");
    return section;
}
const QString kFileKey = QStringLiteral("File");
const QString kSetupKey = QStringLiteral("Setup");

// The folders to try, in order: the setup's own (or the last one for a setup without a file),
// then the settings folder.
QStringList keepFolders(const QString &setupFile, const QString &lastFolder) {
    const QFileInfo setup(setupFile);
    QStringList folders;
    folders << (!setupFile.isEmpty() && setup.isFile() ? setup.absolutePath() : lastFolder);
    folders << QFileInfo(defaultSettingsFile()).absolutePath();
    folders.removeAll(QString());
    return folders;
}

}  // namespace

UnsavedSetups::UnsavedSetups(SettingsStore &store, Prompter &prompter, RecentSetups &recent)
    : store_(store), prompter_(prompter), recent_(recent) {}

KeptSetup UnsavedSetups::keep(Setup &setup, QChar separator, const QString &lastFolder) {
    const AppState &state = setup.state();
    if (!state.SetupModified) {
        return {};
    }
    const QString name = state.SetupFileName.isEmpty() ? QStringLiteral("untitled.zel")
                                                       : QFileInfo(state.SetupFileName).fileName();
    const QByteArray bytes = setupFileText(setup, separator);
    KeptSetup kept;
    for (const QString &folder : keepFolders(state.SetupFileName, lastFolder)) {
        const QString path = QDir(folder).filePath(unsavedSetupPath(name));
        if (!QDir().mkpath(folder)) {
            kept.error = QStringLiteral("%1: the folder cannot be made").arg(path);
            continue;
        }
        if (const QString reason = saveWholeFile(path, bytes); !reason.isEmpty()) {
            kept.error = QStringLiteral("%1: %2").arg(path, reason);
            continue;
        }
        store_.setValue(keptSection(), kFileKey, path);
        store_.setValue(keptSection(), kSetupKey, state.SetupFileName);
        store_.sync();
        return {path, {}};
    }
    return kept;
}

void UnsavedSetups::tellKept() {
    const QString file = store_.value(keptSection(), kFileKey);
    if (file.isEmpty()) {
        return;
    }
    const QString setup = store_.value(keptSection(), kSetupKey);
    store_.setValue(keptSection(), kFileKey, {});
    store_.setValue(keptSection(), kSetupKey, {});
    store_.sync();
    if (!QFileInfo(file).isFile()) {
        return;  // opened and moved on, or put away
    }
    recent_.add(file);
    const QString what = setup.isEmpty()
                             ? QStringLiteral(
                                   "A setup that had never been saved was open when the "
                                   "program was stopped.")
                             : QStringLiteral(
                                   "The setup %1 had changes that were not saved when "
                                   "the program was stopped.")
                                   .arg(setup);
    prompter_.notify(what + QLatin1Char('\r') +
                         QStringLiteral("They are kept in %1: open it from the File menu (the "
                                        "first of the last setups) and save it with Save As.")
                             .arg(file),
                     QStringLiteral("Setup kept"), PromptIcon::Warning);
}

}  // namespace zelapp
