#include "core/view/application.h"

#include <QCoreApplication>

#include "core/view/form_main.h"
#include "exchange/link_address.h"

namespace zelapp {

namespace {
SessionServices withServiceName(SessionServices services) {
    if (services.serviceName.isEmpty()) {
        services.serviceName = serviceNameOf(QCoreApplication::applicationFilePath());
    }
    return services;
}
}  // namespace

Application::Application(SessionServices services)
    : session_(withServiceName(std::move(services))) {}

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
