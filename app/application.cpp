#include "application.h"

#include <QCoreApplication>

#include "dialogs/view/form_main.h"
#include "setup/setup.h"
#include "setup/setup_commands.h"

namespace zelapp {

void Application::MainWindowRelay::setCaption(const QString &caption) {
    caption_ = caption;
    if (window != nullptr) {
        window->setCaption(caption);
    }
}

QString Application::MainWindowRelay::caption() const {
    return window != nullptr ? window->caption() : caption_;
}

void Application::MainWindowRelay::UpdateMainDisplay() {
    if (window != nullptr) {
        window->UpdateMainDisplay();
    }
}

void Application::MainWindowRelay::RebuildDisplays() {
    if (window != nullptr) {
        window->RebuildDisplays();
    }
}

Application::Application(const ApplicationServices &services, QString programFolder,
                         QString commandLine)
    : services_(services),
      programFolder_(std::move(programFolder)),
      commandLine_(std::move(commandLine)),
      context_{services.unit, services.prompter, state_},
      setup_(std::make_unique<Setup>(context_, state_, labels_, currentItems_, relay_)),
      setupCommands_(std::make_unique<SetupCommands>(*setup_, services.prompter, services.chooser)),
      help_(state_, services.prompter, services.helpViewer) {}

Application::~Application() {
    relay_.window = nullptr;
    mainWindow_.reset();
}

StartupResult Application::start() {
    StartupContext context{state_,
                           services_.unit,
                           services_.prompter,
                           *setup_,
                           services_.instanceLock,
                           programFolder_,
                           commandLine_,
                           [this] { showMainWindow(); }};
    return Main(context);
}

void Application::showMainWindow() {
    const MainWindowServices services{
        state_, *setup_,         services_.unit, services_.prompter, *setupCommands_,
        help_,  services_.store, currentItems_,  programFolder_,     commandLine_};
    mainWindow_ = std::make_unique<FormMain>(services);
    relay_.window = mainWindow_.get();
    mainWindow_->Form_Load();
    mainWindow_->show();
}

}  // namespace zelapp
