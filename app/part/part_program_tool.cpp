#include "part/part_program_tool.h"

#include <QStringList>
#include <algorithm>
#include <vector>

#include "base/prompter.h"
#include "base/runtime_text.h"
#include "model/box_checks.h"
#include "setup/setup.h"
#include "setup/setup_change.h"
#include "setup/setup_commands.h"

namespace zelapp {

namespace {
constexpr std::array<ProgramBoxInfo, kProgramBoxes.size()> kBoxes = {{
    {PartKey::Number, "txtNumber", "Number"},
    {PartKey::Description, "txtDescription", "Description"},
    {PartKey::Characteristics, "txtCharacteristics", "Characteristics"},
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
    QStringList channels;
    for (int channel : p.characteristics) {
        channels << QString::number(channel);
    }
    boxes_[index(ProgramBox::Number)] = p.number;
    boxes_[index(ProgramBox::Description)] = p.description;
    boxes_[index(ProgramBox::Characteristics)] = channels.join(QLatin1Char(','));
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
    rules_.clear();
    for (const auto &[channel, rules] : p.rules) {
        rules_[channel] = rulesText(rules);
    }
    opening_ = boxes_;
    openingAuto_ = autoStart_;
    openingAskId_ = askId_;
    openingNominals_ = nominals_;
    openingSides_ = sides_;
    openingRules_ = rules_;
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
    const auto oneSided = [](const std::map<int, ToleranceSides> &sides) {
        std::map<int, ToleranceSides> out;
        for (const auto &[channel, side] : sides) {
            if (side != ToleranceSides::Both) {
                out[channel] = side;
            }
        }
        return out;
    };
    // Rule 1 alone is what an empty cell means.
    const auto chosen = [&typed](const std::map<int, QString> &rules) {
        std::map<int, QString> out = typed(rules);
        std::erase_if(out, [](const auto &entry) { return entry.second == QStringLiteral("1"); });
        return out;
    };
    return boxes_ != opening_ || autoStart_ != openingAuto_ || askId_ != openingAskId_ ||
           typed(nominals_) != typed(openingNominals_) || chosen(rules_) != chosen(openingRules_) ||
           oneSided(sides_) != oneSided(openingSides_);
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
        if (const auto rules = rules_.find(channel); rules != rules_.end()) {
            row.rules = rules->second;
        }
        rows.push_back(row);
    }
    return rows;
}

QString PartProgramTool::characteristicsHint() const {
    const std::vector<int> all = effectiveCharacteristics(PartProgram{}, setup_);
    if (all.empty()) {
        return QStringLiteral("Empty: every channel with a formula (none yet)");
    }
    QStringList channels;
    for (int channel : all) {
        channels << QString::number(channel);
    }
    return QStringLiteral("Empty: every channel with a formula (") +
           channels.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString PartProgramTool::settleBandHint() const {
    // The example is the first channel judged, as the operator will see it.
    const std::vector<int> judged = effectiveCharacteristics(PartProgram{}, setup_);
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

bool PartProgramTool::refuse(ProgramBox box, const QString &message) {
    prompter_.message(message);
    if (view_ != nullptr) {
        view_->focusBox(box);
    }
    return false;
}

std::optional<double> PartProgramTool::number(ProgramBox box, bool required) {
    const QString &typed = text(box);
    if (!required && typed.trimmed().isEmpty()) {
        return std::nullopt;
    }
    const std::optional<double> value = rt::localeReal(typed, locale_);
    if (!value) {
        refuse(box, notANumberText(typed, labelOf(box)));
    }
    return value;
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
    PartProgram p;
    const PartProgram &before = program_.program();
    for (ProgramBox box : {ProgramBox::Number, ProgramBox::Description, ProgramBox::DfqFolder}) {
        if (!keepable(text(box))) {
            refuse(box, QStringLiteral("The value \"%1\" in %2 holds characters a part file "
                                       "cannot keep.")
                            .arg(text(box), labelOf(box)));
            return std::nullopt;
        }
    }
    p.number = text(ProgramBox::Number).trimmed();
    if (p.number.size() > PartProgram::kMostNumberChars) {
        refuse(ProgramBox::Number, QStringLiteral("The value \"%1\" in Number is longer than %2 "
                                                  "characters.")
                                       .arg(text(ProgramBox::Number))
                                       .arg(PartProgram::kMostNumberChars));
        return std::nullopt;
    }
    p.description = text(ProgramBox::Description).trimmed();

    const QString list = text(ProgramBox::Characteristics).trimmed();
    if (!list.isEmpty()) {
        for (const QString &item : list.split(QLatin1Char(','))) {
            const std::optional<int> n = channel(ProgramBox::Characteristics, item);
            if (!n) {
                return std::nullopt;
            }
            if (std::find(p.characteristics.begin(), p.characteristics.end(), *n) !=
                p.characteristics.end()) {
                refuse(ProgramBox::Characteristics,
                       QStringLiteral("The value \"%1\" in Characteristics names channel %2 twice.")
                           .arg(list)
                           .arg(*n));
                return std::nullopt;
            }
            p.characteristics.push_back(*n);
        }
    }

    p.start = autoStart_ ? PartStart::Auto : PartStart::Key;
    if (autoStart_) {
        const std::optional<int> present =
            channel(ProgramBox::PresentChannel, text(ProgramBox::PresentChannel));
        const std::optional<double> low =
            present ? number(ProgramBox::PresentLow, true) : std::nullopt;
        const std::optional<double> high =
            low ? number(ProgramBox::PresentHigh, true) : std::nullopt;
        if (!high) {
            return std::nullopt;
        }
        if (*high < *low) {
            refuse(ProgramBox::PresentHigh,
                   belowText(text(ProgramBox::PresentHigh), labelOf(ProgramBox::PresentHigh),
                             text(ProgramBox::PresentLow).trimmed()));
            return std::nullopt;
        }
        const std::optional<int> time = milliseconds(ProgramBox::PresentTime);
        if (!time) {
            return std::nullopt;
        }
        p.presentChannel = *present;
        p.presentLow = *low;
        p.presentHigh = *high;
        p.presentTimeMs = *time;
    } else {
        // Not asked for, so kept as they were for the next time parts start by themselves.
        p.presentChannel = before.presentChannel;
        p.presentLow = before.presentLow;
        p.presentHigh = before.presentHigh;
        p.presentTimeMs = before.presentTimeMs;
    }

    if (!text(ProgramBox::SettleBand).trimmed().isEmpty()) {
        const std::optional<double> band = number(ProgramBox::SettleBand, true);
        if (!band) {
            return std::nullopt;
        }
        if (*band <= 0) {
            refuse(ProgramBox::SettleBand,
                   QStringLiteral("The value \"%1\" in Settle band is not above 0.")
                       .arg(text(ProgramBox::SettleBand)));
            return std::nullopt;
        }
        p.settleBand = band;
    }
    const std::optional<int> settle = milliseconds(ProgramBox::SettleTime);
    const std::optional<int> dynamic =
        settle ? milliseconds(ProgramBox::DynamicTime) : std::nullopt;
    const std::optional<int> timeout = dynamic ? milliseconds(ProgramBox::Timeout) : std::nullopt;
    if (!timeout) {
        return std::nullopt;
    }
    if (qint64(*timeout) <= qint64(*settle) + *dynamic) {
        refuse(ProgramBox::Timeout,
               QStringLiteral("The value \"%1\" in Timeout must exceed Settle time + Dynamic time "
                              "(%2 ms).")
                   .arg(text(ProgramBox::Timeout))
                   .arg(qint64(*settle) + *dynamic));
        return std::nullopt;
    }
    p.settleTimeMs = *settle;
    p.dynamicTimeMs = *dynamic;
    p.timeoutMs = *timeout;
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
            return std::nullopt;
        }
    }
    if (!checkNominals(p) || !checkRules(p)) {
        return std::nullopt;
    }
    for (const auto &[channel, sides] : sides_) {
        if (sides != ToleranceSides::Both) {
            p.sides[channel] = sides;
        }
    }
    return p;
}

bool PartProgramTool::checkNominals(PartProgram &p) {
    const QString point = locale_.decimalPoint();
    for (const auto &[channel, typed] : nominals_) {
        QString nominal = typed.trimmed();
        if (nominal.isEmpty()) {
            continue;
        }
        // Typed as the dialog's numbers are; kept with a "." as the file wants it.
        if (point != QStringLiteral(".") && !nominal.contains(QLatin1Char('.'))) {
            nominal.replace(point, QStringLiteral("."));
        }
        if (!rt::localeReal(nominal, QLocale::c()) || nominal.contains(QLatin1Char(','))) {
            prompter_.message(
                notANumberText(typed, QStringLiteral("Nominal of channel %1").arg(channel)));
            if (view_ != nullptr) {
                view_->focusNominal(channel);
            }
            return false;
        }
        p.nominals[channel] = nominal;
    }
    return true;
}

bool PartProgramTool::checkRules(PartProgram &p) {
    for (const auto &[channel, typed] : rules_) {
        if (typed.trimmed().isEmpty()) {
            continue;
        }
        const std::optional<std::vector<int>> rules = parseRules(typed.trimmed());
        if (!rules) {
            prompter_.message(QStringLiteral("The value \"%1\" in Rules of channel %2 is not a "
                                             "list of different rules 1 to 8 such as 1,2,3,4.")
                                  .arg(typed)
                                  .arg(channel));
            if (view_ != nullptr) {
                view_->focusRules(channel);
            }
            return false;
        }
        // Rule 1 alone is what no key says.
        if (*rules != std::vector<int>{1}) {
            p.rules[channel] = *rules;
        }
    }
    return true;
}

bool PartProgramTool::save() {
    const std::optional<PartProgram> checked = checkBoxes();
    if (!checked || !commands_.savePartProgram(*checked)) {
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
