#include "core/main_lifecycle.h"

#include <QDir>

#include "core/ini_file.h"
#include "setup/setup.h"
#include "setup/setup_commands.h"

namespace zelapp {

MainLifecycle::MainLifecycle(AppState &state, Prompter &prompter, SetupCommands &commands,
                             Help &help, SettingsStore &store, MainWindowPort &mainWindow,
                             QString programFolder, std::function<int()> conversationCount)
    : state_(state),
      prompter_(prompter),
      commands_(commands),
      help_(help),
      store_(store),
      mainWindow_(mainWindow),
      programFolder_(std::move(programFolder)),
      conversationCount_(std::move(conversationCount)) {}

bool MainLifecycle::Form_QueryUnload() {
    // A Save As that was cancelled or failed keeps the program open: closing would throw away
    // the changes the operator just asked to keep.
    if (!commands_.confirmSetupChanges(SetupCommands::SaveBy::SaveAs)) {
        return false;
    }
    if (conversationCount_ && conversationCount_() != 0) {
        const PromptAnswer answer =
            prompter_.ask(QStringLiteral("Other applications are using this application\r"
                                         "Do you really want to exit the application?"),
                          mainWindow_.caption(), PromptIcon::Question, PromptButtons::YesNo);
        if (answer != PromptAnswer::Yes) {
            return false;
        }
    }
    QString error;
    if (!writeClosingSettings(&error)) {
        // The program still closes; the operator learns that the settings were not kept.
        prompter_.message(QStringLiteral("The settings could not be saved.\r") + error, QString(),
                          PromptIcon::Warning);
    }
    return true;
}

bool MainLifecycle::writeClosingSettings(QString *error) {
    state_.AppPath = programFolder_;
    // The next start builds the setup this one ends with.
    const Setup &setup = commands_.setup();
    state_.MaxChannel = setup.channelCount();
    state_.MaxLvdt = setup.lvdtCount();
    state_.MaxAnalog = setup.analogCount();
    const bool written =
        writeIniFile(QDir(state_.AppPath).filePath(QStringLiteral("zelapp.ini")), state_, error);
    help_.CloseHelp();
    return written;
}

void MainLifecycle::Form_Unload(bool minimised, MainPosition position) {
    if (minimised) {
        return;
    }
    writeMainPosition(store_, position);
    store_.sync();
}

}  // namespace zelapp
