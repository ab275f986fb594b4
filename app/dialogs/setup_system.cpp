#include "dialogs/setup_system.h"

#include "base/runtime_text.h"
#include "model/box_checks.h"
#include "model/single_range.h"
#include "setup/setup.h"
#include "setup/unit_batch.h"
#include "unit/library_boxes.h"

namespace zelapp {

namespace {
constexpr int kMaxInteger = 32767;
// ScanTime counts tenths of a millisecond; the box shows milliseconds.
constexpr int kScanTimePerMs = 10;

constexpr std::array<SystemBoxInfo, kSystemBoxCount> kBoxes{{
    {"txtChannels", "Channels", 0},
    {"txtLVDT", "Probes", 0},
    {"txtAnalog", "Analogs", 0},
    {"txtScanPeriod", "Scan Period (milliseconds)", 1},
    {"txtBurstAvg", "Burst Average", 1},
    {"txtRunningAvg", "Running Average", 1},
    {"txtDecimals", "Default decimal places", 2},
    {"TextLvdtFSV", "Default LVDT Full Scale", 2},
}};

QString label(SystemBox box) {
    return QString::fromLatin1(systemBoxInfo(box).label);
}

// The first of inputs 1..count that the unit refuses to read; nothing when it reads them all,
// or when it does not answer and cannot tell. Read with the library's boxes off: a missing
// input is the dialog's one message, not a box of the library's per input.
std::optional<int> firstMissing(UnitApi &unit, int32_t (UnitApi::*read)(int32_t, float *),
                                int count) {
    const LibraryBoxesOff quiet(unit);
    for (int n = 1; n <= count; ++n) {
        float value = 0;
        const int32_t status = (unit.*read)(n, &value);
        if (status == kUnitNotCommunicating) {
            return std::nullopt;
        }
        if (status != 0) {
            return n;
        }
    }
    return std::nullopt;
}
}  // namespace

const SystemBoxInfo &systemBoxInfo(SystemBox box) {
    return kBoxes[static_cast<std::size_t>(box)];
}

SetupSystemTool::SetupSystemTool(const DialogContext &context)
    : setup_(context.setup),
      state_(context.state),
      unit_(context.unit),
      prompter_(context.prompter),
      locale_(context.locale) {}

void SetupSystemTool::refresh() {
    if (view_ != nullptr) {
        view_->refresh();
    }
}

void SetupSystemTool::Form_Load() {
    open_ = true;
    state_.takeScanHold();
    fillBoxes();
}

void SetupSystemTool::setupChanged(const SetupChange &change) {
    if (open_ && change.kind == SetupChange::Kind::Replaced) {
        fillBoxes();
    }
}

void SetupSystemTool::fillBoxes() {
    const QChar separator = locale_.decimalPoint().at(0);
    const auto put = [this](SystemBox box, const QString &text) { boxes_[index(box)] = text; };
    put(SystemBox::Channels, QString::number(setup_.channelCount()));
    put(SystemBox::Lvdt, QString::number(setup_.lvdtCount()));
    put(SystemBox::Analog, QString::number(setup_.analogCount()));
    put(SystemBox::LvdtFSV, rt::defaultText(state_.LvdtFSV, separator));
    put(SystemBox::Decimals, QString::number(state_.Decimals));
    put(SystemBox::ScanPeriod,
        rt::defaultText(static_cast<double>(state_.ScanTime) / kScanTimePerMs, separator));
    put(SystemBox::RunningAvg, QString::number(state_.RunAvg));
    put(SystemBox::BurstAvg, QString::number(state_.ADCAverage));
    // No request reports the unit's firmware.
    firmware_ = QStringLiteral("N/A");
    const int32_t port = unit_.ZelGetPort();
    port_ = port > 0 ? QString::number(port) : QStringLiteral("none");
    refresh();
}

bool SetupSystemTool::refuse(SystemBox box, const QString &message) {
    prompter_.message(message);
    if (view_ != nullptr) {
        view_->focusBox(box);
    }
    return false;
}

std::optional<double> SetupSystemTool::number(SystemBox box) {
    const QString &typed = text(box);
    if (const std::optional<double> value = rt::localeReal(typed, locale_)) {
        return value;
    }
    refuse(box, notANumberText(typed, label(box)));
    return std::nullopt;
}

std::optional<int> SetupSystemTool::whole(SystemBox box, double value, int low, int high,
                                          int scale) {
    const double rounded = rt::roundHalfEven(value * scale);
    if (rounded >= low && rounded <= high) {
        return static_cast<int>(rounded);
    }
    const QChar separator = locale_.decimalPoint().at(0);
    const auto bound = [&](int n) {
        return rt::defaultText(static_cast<double>(n) / scale, separator);
    };
    refuse(box, outOfRangeText(text(box), label(box), bound(low), bound(high)));
    return std::nullopt;
}

bool SetupSystemTool::checkBoxes(Values &v) {
    // Box by box in the order of the tab chain; the first refusal ends the check.
    const auto get = [this](SystemBox box, int &out, int low, int high, int scale = 1) {
        const std::optional<double> n = number(box);
        const std::optional<int> w = n ? whole(box, *n, low, high, scale) : std::nullopt;
        out = w.value_or(0);
        return w.has_value();
    };
    // A frame numbers items in one byte. Fewer than one channel is mended when applying, with
    // its own message, so only the upper limit is refused here.
    const std::optional<double> channels = number(SystemBox::Channels);
    if (!channels) {
        return false;
    }
    if (rt::roundHalfEven(*channels) < 1) {
        v.channels = 0;
    } else if (!get(SystemBox::Channels, v.channels, 1, kMaxItemCount)) {
        return false;
    }
    return get(SystemBox::Lvdt, v.lvdts, 0, kMaxItemCount) &&
           get(SystemBox::Analog, v.analogs, 0, kMaxItemCount) &&
           // The unit takes the scan time as 16 bits; 0 would leave it no time to scan.
           get(SystemBox::ScanPeriod, v.scanTime, 1, kMaxInteger, kScanTimePerMs) &&
           get(SystemBox::BurstAvg, v.adcAverage, 1, kMaxInteger) &&
           get(SystemBox::RunningAvg, v.runAverage, 1, kMaxInteger) &&
           get(SystemBox::Decimals, v.decimals, kMinDecimals, kMaxDecimals) && fullScale(v.lvdtFsv);
}

bool SetupSystemTool::fullScale(float &out) {
    const SystemBox box = SystemBox::LvdtFSV;
    const std::optional<double> n = number(box);
    if (!n) {
        return false;
    }
    if (!fitsSingle(*n)) {
        return refuse(box, notANumberText(text(box), label(box)));
    }
    if (*n < kMinFullScale) {
        const QChar separator = locale_.decimalPoint().at(0);
        return refuse(box,
                      belowText(text(box), label(box), rt::defaultText(kMinFullScale, separator)));
    }
    out = static_cast<float>(*n);
    return true;
}

bool SetupSystemTool::unitHasInputs(const Values &v) {
    struct Inputs {
        SystemBox box;
        int count, had;
        int32_t (UnitApi::*read)(int32_t, float *);
        const char *name;
    };
    for (const Inputs &inputs :
         {Inputs{SystemBox::Lvdt, v.lvdts, setup_.lvdtCount(), &UnitApi::ZelReadLvdt, "probe"},
          Inputs{SystemBox::Analog, v.analogs, setup_.analogCount(), &UnitApi::ZelReadAnalog,
                 "analog input"}}) {
        // The inputs already set up were taken as they are; only a larger count asks the unit.
        if (inputs.count <= inputs.had) {
            continue;
        }
        if (const std::optional<int> missing = firstMissing(unit_, inputs.read, inputs.count)) {
            return refuse(inputs.box, QStringLiteral("The unit has no %1 %2: %3 can be at most %4.")
                                          .arg(QString::fromLatin1(inputs.name))
                                          .arg(*missing)
                                          .arg(label(inputs.box))
                                          .arg(*missing - 1));
        }
    }
    return true;
}

bool SetupSystemTool::sendScanSettings(const Values &v) {
    struct Setting {
        SystemBox box;
        int32_t (UnitApi::*send)(int32_t);
        int value, old;
    };
    const std::array<Setting, 3> settings{{
        {SystemBox::BurstAvg, &UnitApi::ZelSetAdcAvg, v.adcAverage, state_.ADCAverage},
        {SystemBox::RunningAvg, &UnitApi::ZelSetRunAvg, v.runAverage, state_.RunAvg},
        {SystemBox::ScanPeriod, &UnitApi::ZelSetScanTime, v.scanTime, state_.ScanTime},
    }};
    std::optional<SystemBox> refused;
    {
        // The dialog names the box itself; the library's box would only add "Unknown error".
        const LibraryBoxesOff quiet(unit_);
        for (std::size_t i = 0; i < settings.size() && !refused; ++i) {
            if ((unit_.*settings[i].send)(settings[i].value) != 0) {
                refused = settings[i].box;
                for (std::size_t sent = 0; sent < i; ++sent) {
                    (unit_.*settings[sent].send)(settings[sent].old);
                }
            }
        }
    }
    if (refused) {
        return refuse(*refused, QStringLiteral("The unit does not take the value \"%1\" in %2.")
                                    .arg(text(*refused), label(*refused)));
    }
    return true;
}

bool SetupSystemTool::ApplySystemSettings() {
    Values v{};
    if (!checkBoxes(v) || !unitHasInputs(v)) {
        return false;
    }
    bool ok = true;
    int channels = v.channels;
    if (channels < 1) {
        prompter_.message(QStringLiteral("Channels must be at least 1"));
        channels = 1;
        boxes_[index(SystemBox::Channels)] = QStringLiteral("1");
        refresh();
    }
    const bool groupsToFix = !setup_.CheckMaxChannel(channels, false);
    if (groupsToFix) {
        const PromptAnswer answer =
            prompter_.ask(QStringLiteral("Some groups use channels that you are removing\r"
                                         "These channels will be removed from group"),
                          {}, PromptIcon::Question, PromptButtons::OkCancel);
        if (answer != PromptAnswer::Ok) {
            return false;
        }
    }
    // What the unit holds goes first: a value it refuses then leaves the setup as it was.
    if (!sendScanSettings(v)) {
        return false;
    }
    if (groupsToFix) {
        ok = setup_.CheckMaxChannel(channels, true);
    }
    // The setup file holds the counts, the decimals and the groups.
    const bool setupChanged = groupsToFix || channels != setup_.channelCount() ||
                              v.lvdts != setup_.lvdtCount() || v.analogs != setup_.analogCount() ||
                              v.decimals != state_.Decimals;
    state_.Decimals = v.decimals;
    {
        // New channels beyond the unit are told once, not three boxes each.
        const UnitBatch batch(setup_.context());
        setup_.CreateChannels(channels);
        state_.LvdtFSV = v.lvdtFsv;
        setup_.CreateLVDTs(v.lvdts);
        setup_.CreateAnalogs(v.analogs);
    }
    state_.ADCAverage = v.adcAverage;
    state_.RunAvg = v.runAverage;
    state_.ScanTime = v.scanTime;
    if (setupChanged) {
        setup_.markModified({SetupChange::Kind::Counts});
    }
    return ok;
}

bool SetupSystemTool::CommandOK_Click() {
    if (!ApplySystemSettings()) {
        return false;
    }
    open_ = false;
    setup_.mainWindow().UpdateMainDisplay();
    return true;
}

bool SetupSystemTool::Form_QueryUnload() {
    // Closing without OK applies nothing; the displays must not stay frozen on old readings.
    open_ = false;
    state_.releaseScanHold();
    return true;
}

}  // namespace zelapp
