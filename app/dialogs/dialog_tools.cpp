#include "dialogs/dialog_tools.h"

#include "setup/setup.h"

namespace zelapp {

DialogTools::DialogTools(const DialogContext &context, const CalibrateTool::Services &calibration)
    : mastering(context),
      setupChan(context),
      setupLvdt(context),
      setupAnalog(context),
      setupGroup(context),
      setupSystem(context),
      selectGroup(context),
      calibrate(context, calibration) {
    listening_ = QObject::connect(&context.setup.notifier(), &SetupNotifier::changed,
                                  [this](const SetupChange &change) { setupChanged(change); });
}

DialogTools::~DialogTools() {
    QObject::disconnect(listening_);
}

std::vector<LiveValueSink *> DialogTools::liveSinks() {
    return {&mastering, &setupChan, &setupLvdt, &setupAnalog, &calibrate};
}

// Each asks in turn, so a Program of one goes into the setup before the next is asked and
// before the setup itself is offered for saving.
bool DialogTools::confirmSetupReplace() {
    return setupChan.confirmSetupReplace() && setupLvdt.confirmSetupReplace() &&
           setupAnalog.confirmSetupReplace();
}

bool DialogTools::confirmProgramClose() {
    return setupAnalog.confirmLeave();
}

void DialogTools::setUnitLost(bool lost) {
    mastering.setUnitLost(lost);
    calibrate.setUnitLost(lost);
}

void DialogTools::setCycleRunning(bool running) {
    setupChan.setCycleRunning(running);
    mastering.setCycleRunning(running);
}

void DialogTools::setupChanged(const SetupChange &change) {
    setupChan.setupChanged(change);
    setupLvdt.setupChanged(change);
    setupAnalog.setupChanged(change);
    setupGroup.setupChanged(change);
    setupSystem.setupChanged(change);
    mastering.setupChanged(change);
}

}  // namespace zelapp
