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
    return {&mastering, &setupChan, &setupLvdt, &setupAnalog};
}

bool DialogTools::confirmSetupReplace() {
    return true;
}

void DialogTools::setUnitLost(bool lost) {
    mastering.setUnitLost(lost);
    calibrate.setUnitLost(lost);
}

void DialogTools::setupChanged(const SetupChange &) {}

}  // namespace zelapp
