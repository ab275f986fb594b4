// zelapp: the ZEL-8 operator station. Binds libzelcomm.so from its own folder, runs the
// start-up routine and the main window's event loop.
#include <QApplication>
#include <QFileInfo>
#include <csignal>

#include "base/process_signals.h"
#include "base/settings_store.h"
#include "base/stop_signals.h"
#include "core/command_line.h"
#include "core/instance_lock.h"
#include "core/view/application.h"
#include "core/view/form_main.h"
#include "dialogs/view/help_window.h"
#include "history/part_history.h"
#include "unit/library_messages.h"
#include "unit/zelcomm_binding.h"
#include "view/file_dialog_chooser.h"
#include "view/message_box_prompter.h"

namespace {
// Exit status when libzelcomm.so or one of its entry points is missing.
constexpr int kMissingLibraryStatus = 3;
}  // namespace

int main(int argc, char **argv) {
    zelapp::ignoreFileSizeSignal();
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zelapp"));
    QApplication::setOrganizationName(QStringLiteral("zelapp"));
    // The program's name, as the title of messages that have none.
    const QString programName = QFileInfo(QApplication::applicationFilePath()).baseName();

    zelapp::MessageBoxPrompter screen(programName);
    const QString programFolder = QApplication::applicationDirPath();
    zelapp::ZelcommBinding unit(programFolder,
                                zelapp::reportAndExit(screen, kMissingLibraryStatus));
    zelapp::LibraryMessagePrompter libraryMessages(screen);
    unit.installMessageHook(libraryMessages);

    zelapp::FileDialogChooser chooser;
    zelapp::HelpWindowViewer helpViewer;
    zelapp::QSettingsStore store;
    zelapp::InstanceLock lock(zelapp::defaultInstanceLockPath());

    QStringList arguments = QApplication::arguments();
    const QString partsDatabase =
        zelapp::takeOption(arguments, QStringLiteral("--db")).value_or(QString());
    const zelapp::SessionServices services{
        unit,      screen,    chooser,       helpViewer,
        store,     lock,      programFolder, zelapp::joinArguments(arguments),
        QString(), QLocale(), nullptr,       nullptr,
        nullptr,   nullptr,   partsDatabase};
    zelapp::Application app(services);
    // A service stop, a logout or Ctrl+C closes the program as File > Exit does, without asking.
    zelapp::StopSignals stops;
    QObject::connect(&stops, &zelapp::StopSignals::stopRequested, &qtApp,
                     [&app](int signal) { app.stop(signal); });
    // A test stops the program inside the n-th part's transaction, just before it commits, to
    // prove that a part half written is never found afterwards.
    if (const int killAt = qEnvironmentVariableIntValue("ZEL_TEST_KILL_IN_COMMIT"); killAt > 0) {
        app.session().partHistory().setCommitHook([killAt, commits = 0]() mutable {
            if (++commits == killAt) {
                std::raise(SIGKILL);
            }
        });
    }
    libraryMessages.setQuiet([&app] { return app.session().unit().boxesOff(); });
    const zelapp::StartupResult result = app.start();
    if (result != zelapp::StartupResult::Running) {
        return zelapp::exitStatus(result);
    }
    // A test changes the setup as an operator would (a channel's description), to see what a
    // stop keeps of it.
    if (const QString text = qEnvironmentVariable("ZEL_TEST_DESCRIBE_CHANNEL_1"); !text.isEmpty()) {
        if (zelapp::Channel *channel = app.setup().channel(1); channel != nullptr) {
            channel->Description = text;
            app.setup().markModified({zelapp::SetupChange::Kind::Channel, 1});
        }
    }
    zelapp::FormMain *window = app.mainWindow();
    chooser.setParent(window);
    QObject::connect(window, &zelapp::FormMain::unloaded, &qtApp, &QCoreApplication::quit);
    return QApplication::exec();
}
