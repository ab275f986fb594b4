#include "setup/part_program.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "model/channel.h"
#include "setup/setup.h"

namespace zelapp {

QString effectivePartNumber(const PartProgram &program, const QString &setupPath) {
    if (!program.number.isEmpty()) {
        return program.number;
    }
    return QFileInfo(setupPath).completeBaseName();
}

std::vector<int> effectiveCharacteristics(const PartProgram &program, const Setup &setup) {
    const int count = setup.channelCount();
    std::vector<int> out;
    if (!program.characteristics.empty()) {
        for (int channel : program.characteristics) {
            if (channel >= 1 && channel <= count) {
                out.push_back(channel);
            }
        }
        return out;
    }
    for (int channel = 1; channel <= count; ++channel) {
        const Channel *c = setup.channel(channel);
        if (c != nullptr && !c->Formula().isEmpty()) {
            out.push_back(channel);
        }
    }
    return out;
}

double effectiveSettleBand(const PartProgram &program, int decimals) {
    if (program.settleBand) {
        return *program.settleBand;
    }
    return 5 * std::pow(10.0, -std::max(0, decimals));
}

void ActivePartProgram::replace(const PartProgram &program, bool readCleanly) {
    if (program == program_ && readCleanly == clean_) {
        return;
    }
    program_ = program;
    clean_ = readCleanly;
    emit changed();
}

}  // namespace zelapp
