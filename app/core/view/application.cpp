#include "core/view/application.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "base/stop_signals.h"

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

namespace {
void say(const QString &text) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(text));
}

void tell(int signal, const QuietClose &result) {
    say(QStringLiteral("stopped by %1").arg(stopSignalName(signal)));
    if (result.partsLost > 0) {
        say(QStringLiteral("%1 of the parts kept in memory could not be written to the parts "
                           "history %2 and were lost")
                .arg(result.partsLost)
                .arg(result.historyFile));
    }
    if (!result.keptSetup.file.isEmpty()) {
        say(QStringLiteral("the setup was not saved; its changes are kept in %1")
                .arg(result.keptSetup.file));
    } else if (!result.keptSetup.error.isEmpty()) {
        say(QStringLiteral("the setup was not saved and could not be kept: %1")
                .arg(result.keptSetup.error));
    }
    if (!result.settingsProblem.isEmpty()) {
        say(QStringLiteral("zelapp.ini could not be written: %1").arg(result.settingsProblem));
    }
    std::fflush(stderr);
}
}  // namespace

void Application::stop(int signal) {
    if (stopping_) {
        return;
    }
    stopping_ = true;
    // The window is shown only after start-up; a modal loop runs one level down.
    const bool atTop = mainWindow_ != nullptr && mainWindow_->isVisible() &&
                       QThread::currentThread()->loopLevel() <= 1;
    tell(signal, atTop ? mainWindow_->closeQuietly() : session_.closeQuietly());
    if (!atTop) {
        std::exit(0);
    }
}

void Application::showMainWindow() {
    mainWindow_ = std::make_unique<FormMain>(session_);
    mainWindow_->Form_Load();
    mainWindow_->show();
}

}  // namespace zelapp
