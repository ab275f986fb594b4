#include "setup/setup_commands.h"

#include "core/file_chooser.h"
#include "core/prompter.h"
#include "setup/setup.h"
#include "setup/setup_writer.h"

namespace zelapp {

SetupCommands::SetupCommands(Setup &setup, Prompter &prompter, FileChooser &chooser, QLocale locale)
    : setup_(setup), prompter_(prompter), chooser_(chooser), locale_(std::move(locale)) {}

QChar SetupCommands::decimalSeparator() const {
    const QString point = locale_.decimalPoint();
    return point.size() == 1 ? point.front() : QLatin1Char('.');
}

void SetupCommands::NewFile_Click() {
    setup_.NewSetup();
}

void SetupCommands::OpenFile_Click() {
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Setups (*.zel)|*.zel|All (*.*)|*.*");
    request.initialFolder = setup_.state().AppPath;
    setup_.state().SetupFileName = chooser_.chooseOpenFile(request);
    loadSetupFile();
}

bool SetupCommands::SaveFile_Click() {
    AppState &state = setup_.state();
    if (state.SetupFileName.isEmpty()) {
        return false;
    }
    QString reason;
    if (!writeSetupFile(state.SetupFileName, setup_, decimalSeparator(), &reason)) {
        prompter_.message(QStringLiteral("The setup could not be saved to ") + state.SetupFileName +
                          QLatin1Char(':') + QLatin1Char('\r') + reason + QLatin1Char('\r') +
                          QStringLiteral("The previous file is unchanged."));
        return false;
    }
    state.SetupModified = false;
    return true;
}

bool SetupCommands::SaveAsFile_Click() {
    FileDialogRequest request;
    request.filter = QStringLiteral("Zel Setups (*.zel)|*.zel|All (*.*)|*.*");
    request.defaultExtension = QStringLiteral("zel");
    request.initialFolder = setup_.state().AppPath;
    setup_.state().SetupFileName = chooser_.chooseSaveFile(request);
    return SaveFile_Click();
}

void SetupCommands::LoadTest_Click() {
    setup_.state().SetupFileName = QStringLiteral("test.zel");
    loadSetupFile();
}

SetupLoad SetupCommands::loadSetupFile() {
    return SetupReader(setup_, prompter_, locale_).read();
}

}  // namespace zelapp
