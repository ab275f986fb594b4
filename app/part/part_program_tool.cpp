#include "part/part_program_tool.h"

#include <QStringList>
#include <algorithm>
#include <vector>

#include "base/folder_question.h"
#include "base/prompter.h"
#include "base/runtime_text.h"
#include "model/box_checks.h"
#include "setup/setup.h"
#include "setup/setup_change.h"
#include "setup/setup_commands.h"

namespace zelapp {

namespace {
constexpr std::array<ProgramBoxInfo, kProgramBoxes.size()> kBoxes = {{
    {PartKey::Number, "txtNumber", "Number", PartProgram::kMostNumberChars},
    {PartKey::Description, "txtDescription", "Description"},
    {PartKey::PresentChannel, "txtPresentChannel", "Present channel"},
    {PartKey::PresentLow, "txtPresentLow", "Present low"},
    {PartKey::PresentHigh, "txtPresentHigh", "Present high"},
    {PartKey::PresentTime, "txtPresentTime", "Present time"},
    {PartKey::SettleBand, "txtSettleBand", "Settle band"},
    {PartKey::SettleTime, "txtSettleTime", "Settle time"},
    {PartKey::DynamicTime, "txtDynamicTime", "Dynamic time"},
    {PartKey::Timeout, "txtTimeout", "Timeout"},
    {PartKey::DfqFolder, "txtDfqFolder", "DFQ folder"},
    {PartKey::Subgroup, "txtSubgroup", "Subgroup"},
}};

QString labelOf(ProgramBox box) {
    return QString::fromLatin1(programBoxInfo(box).label);
}

// A channel's key at its default is what no key says: such entries are left out.
template <typename T, typename AtDefault>
std::map<int, T> chosen(const std::map<int, T> &keys, AtDefault atDefault) {
    std::map<int, T> out = keys;
    std::erase_if(out, [&atDefault](const auto &entry) { return atDefault(entry.second); });
    return out;
}
// Rule 1 alone is what no choice means.
bool noRuleChosen(const std::vector<int> &rules) {
    return rules.empty() || rules == std::vector<int>{1};
}
bool bothSides(ToleranceSides sides) {
    return sides == ToleranceSides::Both;
}
bool normal(Distribution distribution) {
    return distribution == Distribution::Normal;
}

// The part file is Latin-1 text, as every file of the program.
bool keepable(const QString &text) {
    return QString::fromLatin1(text.toLatin1()) == text;
}
}  // namespace

const ProgramBoxInfo &programBoxInfo(ProgramBox box) {
    for (const ProgramBoxInfo &info : kBoxes) {
        if (info.box == box) {
            return info;
        }
    }
    return kBoxes.front();  // every key with a text box is listed
}

PartProgramTool::PartProgramTool(ActivePartProgram &program, Setup &setup, SetupCommands &commands,
                                 Prompter &prompter, QLocale locale)
    : program_(program),
      setup_(setup),
      commands_(commands),
      prompter_(prompter),
      locale_(std::move(locale)) {
    // A replaced program (a load, New, a save of its own) is what the open dialog shows: the
    // questions before a load asked about its edits already.
    programListening_ = QObject::connect(&program_, &ActivePartProgram::changed, [this] {
        if (open_) {
            fill();
        }
    });
    setupListening_ = QObject::connect(&setup_.notifier(), &SetupNotifier::changed,
                                       [this](const SetupChange &change) { setupChanged(change); });
}

PartProgramTool::~PartProgramTool() {
    QObject::disconnect(programListening_);
    QObject::disconnect(setupListening_);
}

QString PartProgramTool::numberText(double value) const {
    const QString point = locale_.decimalPoint();
    return rt::defaultText(value, point.size() == 1 ? point.front() : QLatin1Char('.'));
}

void PartProgramTool::Form_Load() {
    open_ = true;
    fill();
}

void PartProgramTool::fill() {
    const PartProgram &p = program_.program();
    boxes_[index(ProgramBox::Number)] = p.number;
    boxes_[index(ProgramBox::Description)] = p.description;
    boxes_[index(ProgramBox::PresentChannel)] =
        p.presentChannel > 0 ? QString::number(p.presentChannel) : QString();
    boxes_[index(ProgramBox::PresentLow)] = numberText(p.presentLow);
    boxes_[index(ProgramBox::PresentHigh)] = numberText(p.presentHigh);
    boxes_[index(ProgramBox::PresentTime)] = QString::number(p.presentTimeMs);
    boxes_[index(ProgramBox::SettleBand)] = p.settleBand ? numberText(*p.settleBand) : QString();
    boxes_[index(ProgramBox::SettleTime)] = QString::number(p.settleTimeMs);
    boxes_[index(ProgramBox::DynamicTime)] = QString::number(p.dynamicTimeMs);
    boxes_[index(ProgramBox::Timeout)] = QString::number(p.timeoutMs);
    boxes_[index(ProgramBox::DfqFolder)] = p.dfqFolder;
    boxes_[index(ProgramBox::Subgroup)] = QString::number(p.subgroupSize);
    autoStart_ = p.start == PartStart::Auto;
    askId_ = p.askId;
    nominals_ = p.nominals;
    sides_ = p.sides;
    rules_ = p.rules;
    distributions_ = p.distributions;
    chosen_ = p.characteristics.empty() ? std::nullopt
                                        : std::optional<std::vector<int>>(p.characteristics);
    openingChosen_ = chosen_;
    opening_ = boxes_;
    openingAuto_ = autoStart_;
    openingAskId_ = askId_;
    openingNominals_ = nominals_;
    openingSides_ = sides_;
    openingRules_ = rules_;
    openingDistributions_ = distributions_;
    refusals_.clear();
    if (view_ != nullptr) {
        view_->showRefusals(refusals_);
    }
    refresh();
}

void PartProgramTool::refresh() {
    if (view_ != nullptr) {
        view_->refresh();
    }
}

void PartProgramTool::setupChanged(const SetupChange &change) {
    // The hints name the setup's channels; the boxes are the operator's.
    if (open_ &&
        (change.kind == SetupChange::Kind::Replaced || change.kind == SetupChange::Kind::Counts ||
         change.kind == SetupChange::Kind::Channel)) {
        refresh();
    }
}

void PartProgramTool::setAutoStart(bool on) {
    autoStart_ = on;
    refresh();
}

bool PartProgramTool::edited() const {
    // A key set back to its default is no edit.
    const auto typed = [](const std::map<int, QString> &nominals) {
        std::map<int, QString> out;
        for (const auto &[channel, text] : nominals) {
            if (!text.trimmed().isEmpty()) {
                out[channel] = text.trimmed();
            }
        }
        return out;
    };
    return boxes_ != opening_ || autoStart_ != openingAuto_ || askId_ != openingAskId_ ||
           typed(nominals_) != typed(openingNominals_) ||
           chosen(rules_, noRuleChosen) != chosen(openingRules_, noRuleChosen) ||
           chosen(sides_, bothSides) != chosen(openingSides_, bothSides) ||
           chosen(distributions_, normal) != chosen(openingDistributions_, normal) ||
           chosenList(chosen_) != chosenList(openingChosen_);
}

std::vector<int> PartProgramTool::chosenList(const std::optional<std::vector<int>> &chosen) const {
    return chosen ? *chosen : measuredCharacteristics(PartProgram{}, setup_);
}

std::vector<ExportRow> PartProgramTool::exportRows() const {
    std::vector<ExportRow> rows;
    for (int channel = 1; channel <= setup_.channelCount(); ++channel) {
        ExportRow row;
        row.channel = channel;
        if (const Channel *c = setup_.channel(channel); c != nullptr) {
            row.description = c->Description;
        }
        if (const auto nominal = nominals_.find(channel); nominal != nominals_.end()) {
            row.nominal = nominal->second;
        }
        if (const auto sides = sides_.find(channel); sides != sides_.end()) {
            row.sides = sides->second;
        }
        row.rules = rulesText(rulesOf(channel));
        if (const auto distribution = distributions_.find(channel);
            distribution != distributions_.end()) {
            row.distribution = distribution->second;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<CharacteristicRow> PartProgramTool::characteristicRows() const {
    const std::vector<int> chosen = chosenList(chosen_);
    const QString point = locale_.decimalPoint();
    const QChar separator = point.size() == 1 ? point.front() : QLatin1Char('.');
    std::vector<CharacteristicRow> rows;
    for (int channel = 1; channel <= setup_.channelCount(); ++channel) {
        CharacteristicRow row;
        row.channel = channel;
        row.chosen = std::find(chosen.begin(), chosen.end(), channel) != chosen.end();
        if (const Channel *c = setup_.channel(channel); c != nullptr) {
            row.description = c->Description;
            row.formula = c->Formula();
            row.limits = rt::resultText(c->LoTol, c->Decimals, separator) + QStringLiteral(" .. ") +
                         rt::resultText(c->HiTol, c->Decimals, separator);
        }
        rows.push_back(row);
    }
    return rows;
}

void PartProgramTool::setCharacteristic(int channel, bool chosen) {
    std::vector<int> list = chosenList(chosen_);
    const auto at = std::find(list.begin(), list.end(), channel);
    if (chosen && at == list.end()) {
        list.push_back(channel);
    } else if (!chosen && at != list.end()) {
        list.erase(at);
    }
    chosen_ = list;
}

std::vector<int> PartProgramTool::rulesOf(int channel) const {
    const auto rules = rules_.find(channel);
    return rules != rules_.end() && !rules->second.empty() ? rules->second : std::vector<int>{1};
}

void PartProgramTool::setRule(int channel, int rule, bool on) {
    std::vector<int> rules = rulesOf(channel);
    std::erase(rules, rule);
    if (on) {
        rules.push_back(rule);
    }
    std::sort(rules.begin(), rules.end());
    rules_[channel] = rules;
}

QString PartProgramTool::settleBandHint() const {
    // The example is the first channel judged, as the operator will see it.
    const std::vector<int> judged = measuredCharacteristics(PartProgram{}, setup_);
    const Channel *example = setup_.channel(judged.empty() ? 1 : judged.front());
    const int decimals = example != nullptr ? example->Decimals : 4;
    return QStringLiteral("Empty: 5 steps of each channel's last decimal (%1 at %2 decimals)")
        .arg(locale_.toString(effectiveSettleBand(PartProgram{}, decimals), 'f', decimals))
        .arg(decimals);
}

QString PartProgramTool::presentChannelHint() const {
    const int count = setup_.channelCount();
    return count > 0 ? QStringLiteral("Channel 1 to %1").arg(count)
                     : QStringLiteral("The setup has no channels");
}

void PartProgramTool::editBox(ProgramBox box, const QString &text) {
    const int most = programBoxInfo(box).maxLength;
    boxes_[index(box)] = most > 0 ? text.left(most) : text;
}

void PartProgramTool::refuse(ProgramBox box, const QString &message) {
    refusals_.push_back({ProgramRefusal::Place::Box, box, 0, message});
}

std::optional<double> PartProgramTool::number(ProgramBox box, bool required) {
    const QString &typed = text(box);
    if (!required && typed.trimmed().isEmpty()) {
        return std::nullopt;
    }
    const std::optional<TypedDecimal> value = typedDecimal(typed, locale_);
    if (!value) {
        refuse(box, notADecimalText(typed, labelOf(box), locale_));
        return std::nullopt;
    }
    return value->value;
}

std::optional<int> PartProgramTool::milliseconds(ProgramBox box) {
    const QString &typed = text(box);
    bool ok = false;
    const int ms = typed.trimmed().toInt(&ok);
    if (ok && ms >= 0) {
        return ms;
    }
    if (!rt::localeReal(typed, locale_)) {
        refuse(box, notANumberText(typed, labelOf(box)));
    } else {
        refuse(box, QStringLiteral("The value \"%1\" in %2 is not a whole number of milliseconds "
                                   "(0 or more).")
                        .arg(typed, labelOf(box)));
    }
    return std::nullopt;
}

std::optional<int> PartProgramTool::channel(ProgramBox box, const QString &typed) {
    bool ok = false;
    const int n = typed.trimmed().toInt(&ok);
    if (ok && n >= 1 && n <= setup_.channelCount()) {
        return n;
    }
    refuse(box, outOfRangeText(typed.trimmed(), labelOf(box), QStringLiteral("1"),
                               QString::number(setup_.channelCount())));
    return std::nullopt;
}

std::optional<PartProgram> PartProgramTool::checkBoxes() {
    refusals_.clear();
    PartProgram p;
    for (ProgramBox box : {ProgramBox::Number, ProgramBox::Description, ProgramBox::DfqFolder}) {
        if (!keepable(text(box))) {
            refuse(box, QStringLiteral("The value \"%1\" in %2 holds characters a part file "
                                       "cannot keep.")
                            .arg(text(box), labelOf(box)));
        }
    }
    p.number = text(ProgramBox::Number).trimmed();
    p.description = text(ProgramBox::Description).trimmed();
    checkCharacteristics(p);
    checkPresent(p);
    checkTimes(p);
    p.askId = askId_;
    p.dfqFolder = text(ProgramBox::DfqFolder).trimmed();
    const QString subgroup = text(ProgramBox::Subgroup).trimmed();
    if (!subgroup.isEmpty()) {
        bool ok = false;
        p.subgroupSize = subgroup.toInt(&ok);
        if (!ok || p.subgroupSize < 1 || p.subgroupSize > PartProgram::kMostSubgroupSize) {
            refuse(ProgramBox::Subgroup,
                   outOfRangeText(subgroup, labelOf(ProgramBox::Subgroup), QStringLiteral("1"),
                                  QString::number(PartProgram::kMostSubgroupSize)));
        }
    }
    checkNominals(p);
    p.rules = chosen(rules_, noRuleChosen);
    p.sides = chosen(sides_, bothSides);
    p.distributions = chosen(distributions_, normal);
    // In the order of the tab chain: the boxes, then the table row by row.
    const auto rank = [](const ProgramRefusal &r) {
        switch (r.place) {
            case ProgramRefusal::Place::Box:
                return 2 * int(std::find(kProgramBoxes.begin(), kProgramBoxes.end(), r.box) -
                               kProgramBoxes.begin());
            case ProgramRefusal::Place::Characteristics:
                return 3;  // after the description
            case ProgramRefusal::Place::Nominal:
                break;
        }
        return 2 * int(kProgramBoxes.size()) + r.channel;
    };
    std::stable_sort(
        refusals_.begin(), refusals_.end(),
        [&rank](const ProgramRefusal &a, const ProgramRefusal &b) { return rank(a) < rank(b); });
    if (!refusals_.empty()) {
        QStringList messages;
        for (const ProgramRefusal &r : refusals_) {
            messages << r.message;
        }
        prompter_.message(messages.join(QLatin1Char('\r')));
    }
    if (view_ != nullptr) {
        view_->showRefusals(refusals_);
    }
    return refusals_.empty() ? std::optional<PartProgram>(p) : std::nullopt;
}

void PartProgramTool::checkCharacteristics(PartProgram &p) {
    const std::vector<int> chosen = chosenList(chosen_);
    // No list is every channel with a formula: kept so while that is what is chosen.
    if (!openingChosen_ && chosen == chosenList(std::nullopt)) {
        return;
    }
    if (chosen.empty()) {
        refusals_.push_back({ProgramRefusal::Place::Characteristics, ProgramBox::Number, 0,
                             QStringLiteral("Characteristics: choose at least one channel.")});
        return;
    }
    p.characteristics = chosen;
}

void PartProgramTool::checkPresent(PartProgram &p) {
    p.start = autoStart_ ? PartStart::Auto : PartStart::Key;
    const PartProgram &before = program_.program();
    if (!autoStart_) {
        // Not asked for, so kept as they were for the next time parts start by themselves.
        p.presentChannel = before.presentChannel;
        p.presentLow = before.presentLow;
        p.presentHigh = before.presentHigh;
        p.presentTimeMs = before.presentTimeMs;
        return;
    }
    const std::optional<int> present =
        channel(ProgramBox::PresentChannel, text(ProgramBox::PresentChannel));
    const std::optional<double> low = number(ProgramBox::PresentLow, true);
    const std::optional<double> high = number(ProgramBox::PresentHigh, true);
    if (low && high && *high < *low) {
        refuse(ProgramBox::PresentHigh,
               belowText(text(ProgramBox::PresentHigh), labelOf(ProgramBox::PresentHigh),
                         text(ProgramBox::PresentLow).trimmed()));
    }
    const std::optional<int> time = milliseconds(ProgramBox::PresentTime);
    p.presentChannel = present.value_or(0);
    p.presentLow = low.value_or(0);
    p.presentHigh = high.value_or(0);
    p.presentTimeMs = time.value_or(0);
}

void PartProgramTool::checkTimes(PartProgram &p) {
    if (!text(ProgramBox::SettleBand).trimmed().isEmpty()) {
        const std::optional<double> band = number(ProgramBox::SettleBand, true);
        if (band && *band <= 0) {
            refuse(ProgramBox::SettleBand,
                   QStringLiteral("The value \"%1\" in Settle band is not above 0.")
                       .arg(text(ProgramBox::SettleBand)));
        }
        p.settleBand = band;
    }
    const std::optional<int> settle = milliseconds(ProgramBox::SettleTime);
    const std::optional<int> dynamic = milliseconds(ProgramBox::DynamicTime);
    const std::optional<int> timeout = milliseconds(ProgramBox::Timeout);
    if (settle && dynamic && timeout && qint64(*timeout) <= qint64(*settle) + *dynamic) {
        refuse(ProgramBox::Timeout,
               QStringLiteral("The value \"%1\" in Timeout must exceed Settle time + Dynamic time "
                              "(%2 ms).")
                   .arg(text(ProgramBox::Timeout))
                   .arg(qint64(*settle) + *dynamic));
    }
    p.settleTimeMs = settle.value_or(0);
    p.dynamicTimeMs = dynamic.value_or(0);
    p.timeoutMs = timeout.value_or(0);
    // Read at once after MAX/MIN are cleared, a run-out would pass every part.
    if (dynamic) {
        for (const int n : dynamicWithoutTime(p, setup_)) {
            refuse(ProgramBox::DynamicTime, needsDynamicTimeText(setup_, n) + QLatin1Char('.'));
        }
    }
}

void PartProgramTool::checkNominals(PartProgram &p) {
    for (const auto &[channel, typed] : nominals_) {
        if (typed.trimmed().isEmpty()) {
            continue;
        }
        // Typed as the dialog's numbers are; kept with a "." as the file wants it.
        if (const std::optional<TypedDecimal> nominal = typedDecimal(typed, locale_)) {
            p.nominals[channel] = nominal->text;
            continue;
        }
        refusals_.push_back(
            {ProgramRefusal::Place::Nominal, ProgramBox::Number, channel,
             notADecimalText(typed, QStringLiteral("Nominal of channel %1").arg(channel),
                             locale_)});
    }
}

bool PartProgramTool::save() {
    const std::optional<PartProgram> checked = checkBoxes();
    if (!checked) {
        return false;
    }
    // A folder given anew is asked about now, not found missing at the first part.
    if (checked->dfqFolder != program_.program().dfqFolder &&
        !confirmFolder(prompter_, checked->dfqFolder, QStringLiteral("DFQ folder"))) {
        refusals_ = {{ProgramRefusal::Place::Box, ProgramBox::DfqFolder, 0,
                      QStringLiteral("The DFQ folder does not exist.")}};
        if (view_ != nullptr) {
            view_->showRefusals(refusals_);
        }
        return false;
    }
    if (!commands_.savePartProgram(*checked)) {
        return false;
    }
    // What was saved is no edit any more.
    fill();
    return true;
}

bool PartProgramTool::CommandOK_Click() {
    if (!save()) {
        return false;
    }
    open_ = false;
    return true;
}

bool PartProgramTool::Form_QueryUnload() {
    if (!confirmLeave()) {
        return false;
    }
    open_ = false;
    return true;
}

bool PartProgramTool::confirmLeave() {
    if (!open_ || !edited()) {
        return true;
    }
    switch (prompter_.ask(QStringLiteral("The part program has been edited.\rSave the changes?"),
                          QStringLiteral("Part Program"), PromptIcon::Question,
                          PromptButtons::YesNoCancel)) {
        case PromptAnswer::Yes:
            return save();
        case PromptAnswer::No:
            // Dropped: the boxes show the program again, should the dialog stay up.
            fill();
            return true;
        default:
            return false;
    }
}

}  // namespace zelapp
