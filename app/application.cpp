#include "application.h"

#include <QCoreApplication>

#include "dialogs/view/form_main.h"
#include "exchange/link_address.h"

namespace zelapp {

Application::Application(const ApplicationServices &services, QString programFolder,
                         QString commandLine)
    : session_(SessionServices{services.unit, services.prompter, services.chooser,
                               services.helpViewer, services.store, services.instanceLock,
                               std::move(programFolder), std::move(commandLine),
                               // Other programs reach the live values under the file name.
                               serviceNameOf(QCoreApplication::applicationFilePath())}) {}

Application::~Application() {
    mainWindow_.reset();
}

StartupResult Application::start() {
    return session_.start([this] { showMainWindow(); });
}

void Application::showMainWindow() {
    mainWindow_ = std::make_unique<FormMain>(session_);
    mainWindow_->Form_Load();
    mainWindow_->show();
}

}  // namespace zelapp
