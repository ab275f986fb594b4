#include "setup/setup_commands.h"

#include <QFileInfo>

#include "base/file_chooser.h"
#include "base/prompter.h"
#include "setup/mastered_times.h"
#include "setup/part_file.h"
#include "setup/setup.h"
#include "setup/setup_writer.h"
#include "setup/unit_batch.h"

namespace zelapp {

SetupCommands::SetupCommands(Setup &setup, Prompter &prompter, FileChooser &chooser, QLocale locale)
    : setup_(setup), prompter_(prompter), chooser_(chooser), locale_(std::move(locale)) {}

QChar SetupCommands::decimalSeparator() const {
    const QString point = locale_.decimalPoint();
    return point.size() == 1 ? point.front() : QLatin1Char('.');
}

bool SetupCommands::confirmReplace() {
    if (replaceGuard_ && !replaceGuard_()) {
        return false;
    }
    return confirmSetupChanges(SaveBy::Save);
}

bool SetupCommands::confirmSetupChanges(SaveBy save) {
    if (!setup_.state().SetupModified) {
        return true;
    }
    const PromptAnswer answer =
        prompter_.ask(QStringLiteral("Setup has been modified\rSave changes"), {},
                      PromptIcon::Question, PromptButtons::YesNoCancel);
    switch (answer) {
        case PromptAnswer::Yes:
            return save == SaveBy::Save ? SaveFile_Click() : SaveAsFile_Click();
        case PromptAnswer::No:
            return true;
        default:
            return false;
    }
}

void SetupCommands::NewFile_Click() {
    if (confirmReplace()) {
        const UnitBatch batch(setup_.context());
        setup_.NewSetup();
        if (masteredTimes_ != nullptr) {
            masteredTimes_->clear();
        }
    }
}

void SetupCommands::OpenFile_Click() {
    if (!confirmReplace()) {
        return;
    }
    // The folder the dialog opens in is the chooser's: the one last used for setups.
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Setups (*.zel)|*.zel|All (*.*)|*.*");
    const QString chosen = chooser_.chooseOpenFile(request);
    if (chosen.isEmpty()) {
        return;  // cancelled: the setup, its name and the caption stay
    }
    setup_.state().SetupFileName = chosen;
    loadSetupFile();
}

bool SetupCommands::SaveFile_Click() {
    // Without a name (none chosen yet, or a load that stopped) Save asks for one, so the
    // operator is never left believing that a setup was saved.
    if (setup_.state().SetupFileName.isEmpty()) {
        return SaveAsFile_Click();
    }
    return writeSetup(setup_.state().SetupFileName);
}

bool SetupCommands::SaveAsFile_Click() {
    FileDialogRequest request;
    request.filter = QStringLiteral("Zel Setups (*.zel)|*.zel|All (*.*)|*.*");
    request.defaultExtension = QStringLiteral("zel");
    const QString chosen = chooser_.chooseSaveFile(request);
    if (chosen.isEmpty() || !writeSetup(chosen)) {
        return false;  // cancelled or failed: the name and the caption stay as they were
    }
    AppState &state = setup_.state();
    state.SetupFileName = chosen;
    setup_.mainWindow().setCaption(state.ProductTitle + QStringLiteral(" [") + chosen +
                                   QLatin1Char(']'));
    return true;
}

bool SetupCommands::writeSetup(const QString &path) {
    QString reason;
    if (!writeSetupFile(path, setup_, decimalSeparator(), &reason)) {
        prompter_.message(QStringLiteral("The setup could not be saved to ") + path +
                          QLatin1Char(':') + QLatin1Char('\r') + reason + QLatin1Char('\r') +
                          QStringLiteral("The previous file is unchanged."));
        return false;
    }
    setup_.markUnmodified();
    used(path);
    writePartFile(path);
    setup_.mainWindow().showStatus(QStringLiteral("Setup saved to ") + QFileInfo(path).fileName());
    return true;
}

void SetupCommands::used(const QString &path) const {
    if (fileUsed_) {
        fileUsed_(path);
    }
}

SetupLoad SetupCommands::openSetupFile(const QString &path) {
    if (!confirmReplace()) {
        return SetupLoad::NoFile;
    }
    setup_.state().SetupFileName = path;
    return loadSetupFile();
}

// The setup is saved whatever becomes of the part file; a failure only says so.
void SetupCommands::writePartFile(const QString &setupPath) {
    if (masteredTimes_ == nullptr) {
        return;
    }
    const QString reason = writePartMastering(setupPath, masteredTimes_->part());
    if (!reason.isEmpty()) {
        prompter_.message(QStringLiteral("The mastering times could not be saved to ") +
                          partFilePath(setupPath) + QLatin1Char(':') + QLatin1Char('\r') + reason);
    }
}

void SetupCommands::LoadTest_Click() {
    setup_.state().SetupFileName = QStringLiteral("test.zel");
    loadSetupFile();
}

SetupLoad SetupCommands::loadSetupFile() {
    const QString path = setup_.state().SetupFileName;
    SetupLoad load = SetupLoad::NoFile;
    {
        const UnitBatch batch(setup_.context());
        load = SetupReader(setup_, prompter_, locale_).read();
    }
    if (load == SetupLoad::Loaded) {
        used(path);
    }
    // A load that stopped part way still holds that file's channels, so its times go with it.
    if (masteredTimes_ != nullptr && (load == SetupLoad::Loaded || load == SetupLoad::Stopped)) {
        QString error;
        masteredTimes_->replace(readPartMastering(path, &error));
        if (!error.isEmpty()) {
            prompter_.message(QStringLiteral("The mastering times in ") + partFilePath(path) +
                              QStringLiteral(" cannot be read:") + QLatin1Char('\r') + error);
        }
    }
    return load;
}

}  // namespace zelapp
