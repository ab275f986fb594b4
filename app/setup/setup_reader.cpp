#include "setup/setup_reader.h"

#include <cmath>
#include <memory>
#include <vector>

#include "base/line_warnings.h"
#include "base/prompter.h"
#include "base/runtime_text.h"
#include "base/text_lines.h"
#include "base/whole_file.h"
#include "model/single_range.h"
#include "setup/setup.h"

namespace zelapp {

namespace {

// A setup of every channel, probe and input the unit has, with many groups, is well under a
// megabyte; a larger file is no setup, and reading it whole could exhaust the memory.
constexpr qint64 kMostSetupBytes = qint64{64} * 1024 * 1024;

// Stops the load: the 0-based line it concerns and why it cannot be used.
struct LineFault {
    qsizetype line;
    QString reason;
};

struct ChannelBlock {
    QString description, formula, units;
    int decimals = 0;
    bool useTwoMasters = false;
    float master1 = 0, master2 = 0, hiTol = 0, hiAppr = 0, loAppr = 0, loTol = 0;
    float scaling = 0, zeroOffset = 0, barTop = 0, barBot = 0;
};

class SetupFileWalk {
  public:
    SetupFileWalk(Setup &setup, LineWarnings &warnings, const QLocale &locale,
                  const std::vector<QString> &lines)
        : setup_(setup), warnings_(warnings), locale_(locale), lines_(lines) {}

    // Throws LineFault at the first line that cannot be used.
    void run();

  private:
    qsizetype remaining() const { return static_cast<qsizetype>(lines_.size()) - next_; }
    qsizetype take() { return next_++; }
    const QString &line(qsizetype i) const { return lines_[static_cast<size_t>(i)]; }

    // A block reads a fixed number of lines after its header; none of them may be missing.
    void require(qsizetype header, qsizetype count) const {
        if (remaining() < count) {
            throw LineFault{header, QStringLiteral("The file ends inside this block.")};
        }
    }

    int integerValue(qsizetype i, const QString &text) const {
        const auto value = rt::toInteger16(rt::leadingNumber(text));
        if (!value) {
            throw LineFault{i, QStringLiteral("The number is outside -32768 to 32767.")};
        }
        return *value;
    }
    int integer(qsizetype i) const { return integerValue(i, line(i)); }
    int count(qsizetype i, const QString &text) const {
        const int value = integerValue(i, text);
        if (value < 0) {
            throw LineFault{i, QStringLiteral("A count cannot be negative.")};
        }
        return value;
    }
    // Channels, probes and analog inputs: the unit numbers them in one byte.
    int itemCount(qsizetype i, const QString &text) const {
        const int value = count(i, text);
        if (value > kMaxItemCount) {
            throw LineFault{i, QStringLiteral("The unit has at most %1.").arg(kMaxItemCount)};
        }
        return value;
    }
    float real(qsizetype i) const {
        const auto value = rt::localeReal(line(i), locale_);
        if (!value || !std::isfinite(*value)) {
            throw LineFault{i, QStringLiteral("This is not a number.")};
        }
        if (!fitsSingle(*value)) {
            throw LineFault{i, QStringLiteral("The number is too large.")};
        }
        return static_cast<float>(*value);
    }
    bool boolean(qsizetype i) const {
        const auto value = rt::booleanValue(line(i), locale_);
        if (!value) {
            throw LineFault{i, QStringLiteral("This is neither True nor False nor a number.")};
        }
        return *value;
    }
    QString text(qsizetype i) const { return line(i); }

    void generalSetup();
    void windowSection(qsizetype header, int window);
    void channelBlock(qsizetype header);
    void lvdtBlock(qsizetype header);
    void analogBlock(qsizetype header);
    void groupBlock(qsizetype header);

    Setup &setup_;
    LineWarnings &warnings_;
    const QLocale &locale_;
    const std::vector<QString> &lines_;
    qsizetype next_ = 0;
};

void SetupFileWalk::run() {
    static const QLatin1StringView windowHeaders[kSetupWindowCount] = {
        QLatin1StringView("[ChannelGridWindow]"), QLatin1StringView("[ChannelBarWindow]"),
        QLatin1StringView("[ChannelDialWindow]"), QLatin1StringView("[LvdtGridWindow]"),
        QLatin1StringView("[LvdtBarWindow]"),     QLatin1StringView("[LvdtDialWindow]"),
        QLatin1StringView("[AnalogGridWindow]"),  QLatin1StringView("[AnalogBarWindow]"),
        QLatin1StringView("[AnalogDialWindow]"),
    };

    // The version line is never looked at, whatever it holds.
    if (remaining() > 0) {
        take();
    }
    while (remaining() > 0) {
        const qsizetype i = take();
        const QString &section = line(i);
        if (section == QLatin1StringView("[General Setup]")) {
            generalSetup();
            continue;
        }
        if (section == QLatin1StringView("[Channel]")) {
            channelBlock(i);
            continue;
        }
        if (section == QLatin1StringView("[lvdt]")) {
            lvdtBlock(i);
            continue;
        }
        if (section == QLatin1StringView("[Analog]")) {
            analogBlock(i);
            continue;
        }
        if (section == QLatin1StringView("[Group]")) {
            groupBlock(i);
            continue;
        }
        if (section == QLatin1StringView("[End Setup]")) {
            return;
        }
        bool isWindow = false;
        for (int w = 0; w < kSetupWindowCount && !isWindow; ++w) {
            if (section == windowHeaders[w]) {
                windowSection(i, w);
                isWindow = true;
            }
        }
        if (!isWindow) {
            warnings_.add(QStringLiteral("Section:") + section + QStringLiteral(" not valid"));
        }
    }
}

void SetupFileWalk::generalSetup() {
    AppState &state = setup_.state();
    while (remaining() > 0) {
        const qsizetype i = take();
        const QString &entry = line(i);
        if (entry == QLatin1StringView("[End Section]")) {
            return;
        }
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        if (equals < 0) {
            throw LineFault{i, QStringLiteral("The line has no \"=\".")};
        }
        // Only the keys that use their value decode it.
        const QString key = entry.left(equals);
        const QString valueText = entry.mid(equals + 1);
        if (key == QLatin1StringView("MaxChannel")) {
            setup_.CreateChannels(itemCount(i, valueText));
        } else if (key == QLatin1StringView("MaxLVDT")) {
            setup_.CreateLVDTs(itemCount(i, valueText));
        } else if (key == QLatin1StringView("MaxAnalog")) {
            setup_.CreateAnalogs(itemCount(i, valueText));
        } else if (key == QLatin1StringView("MaxDigital")) {
            // A count only, never written back: a value that is no count is passed over
            // rather than costing the operator the setup.
            const auto value = rt::toInteger16(rt::leadingNumber(valueText));
            if (value && isItemCount(*value)) {
                state.MaxDigital = *value;
            }
        } else if (key == QLatin1StringView("MaxStrain")) {
            // Accepted and ignored, whatever its value: there are no strain inputs.
        } else if (key == QLatin1StringView("Decimals")) {
            state.Decimals = integerValue(i, valueText);
        } else {
            warnings_.add(QStringLiteral("Unknown item in [general setup]") + QLatin1Char('\r') +
                          entry);
        }
    }
}

void SetupFileWalk::windowSection(qsizetype header, int window) {
    require(header, 4);
    WindowGeometry g;
    g.Top = integer(take());
    g.Left = integer(take());
    g.Height = integer(take());
    g.Width = integer(take());
    setup_.windows()[window] = g;
}

// Each block is decoded whole before anything is set, so a bad line leaves its item alone.
void SetupFileWalk::channelBlock(qsizetype header) {
    require(header, 17);
    const qsizetype numberLine = take();
    const int k = integer(numberLine);
    Channel *channel = setup_.channel(k);
    if (channel == nullptr) {
        throw LineFault{numberLine, QStringLiteral("This setup has no channel %1.").arg(k)};
    }
    ChannelBlock b;
    b.description = text(take());
    b.formula = text(take());
    b.decimals = integer(take());
    b.units = text(take());
    b.master1 = real(take());
    b.master2 = real(take());
    b.useTwoMasters = boolean(take());
    b.hiTol = real(take());
    b.hiAppr = real(take());
    b.loAppr = real(take());
    b.loTol = real(take());
    b.scaling = real(take());
    b.zeroOffset = real(take());
    b.barTop = real(take());
    b.barBot = real(take());
    take();  // the end line, never compared

    channel->Index = k;
    channel->InUse = true;
    channel->Description = b.description;
    channel->setFormula(b.formula);
    channel->Decimals = b.decimals;
    channel->Units = b.units;
    channel->Master1 = b.master1;
    channel->Master2 = b.master2;
    channel->UseTwoMasters = b.useTwoMasters;
    channel->HiTol = b.hiTol;
    channel->HiAppr = b.hiAppr;
    channel->LoAppr = b.loAppr;
    channel->LoTol = b.loTol;
    channel->setScaling(b.scaling);
    channel->setZeroOffset(b.zeroOffset);
    channel->BarDisplayTop = b.barTop;
    channel->BarDisplayBot = b.barBot;
}

void SetupFileWalk::lvdtBlock(qsizetype header) {
    require(header, 5);
    const qsizetype numberLine = take();
    const int k = integer(numberLine);
    Lvdt *probe = setup_.lvdt(k);
    if (probe == nullptr) {
        throw LineFault{numberLine, QStringLiteral("This setup has no LVDT %1.").arg(k)};
    }
    const QString description = text(take());
    const float fullScale = real(take());
    const float zeroOffset = real(take());
    take();
    probe->Index = k;
    probe->Description = description;
    probe->setFullScale(fullScale);
    probe->setZeroOffset(zeroOffset);
}

void SetupFileWalk::analogBlock(qsizetype header) {
    require(header, 5);
    const qsizetype numberLine = take();
    const int k = integer(numberLine);
    analog *input = setup_.analogInput(k);
    if (input == nullptr) {
        throw LineFault{numberLine, QStringLiteral("This setup has no analog input %1.").arg(k)};
    }
    const QString description = text(take());
    const float fullScale = real(take());
    const float zeroOffset = real(take());
    take();
    input->Index = k;
    input->Description = description;
    input->setFullScale(fullScale);
    input->setZeroOffset(zeroOffset);
}

void SetupFileWalk::groupBlock(qsizetype header) {
    require(header, 3);
    const int index = integer(take());
    const QString description = text(take());
    const qsizetype countLine = take();
    const int n = count(countLine, line(countLine));
    // The count is checked against the lines that are really there before it drives anything.
    if (n > remaining()) {
        throw LineFault{countLine,
                        QStringLiteral("The group lists more channels than the file has lines.")};
    }
    require(header, n + 13);
    auto g = std::make_unique<group>();
    g->Index = index;
    g->Description = description;
    for (int p = 1; p <= n; ++p) {
        g->AddChannel(integer(take()));
    }
    for (int *field :
         {&g->WindowGridTop, &g->WindowGridLeft, &g->WindowGridHeight, &g->WindowGridWidth,
          &g->WindowBarTop, &g->WindowBarLeft, &g->WindowBarHeight, &g->WindowBarWidth,
          &g->WindowDialTop, &g->WindowDialLeft, &g->WindowDialHeight, &g->WindowDialWidth}) {
        *field = integer(take());
    }
    take();
    setup_.addGroup(std::move(g));
}

// Group view reads every entry of its group at each tick. A group may list a channel more than
// once, but more entries than the setup has channels serve nothing, and a damaged file can list
// 32767: such groups keep their first entries, with one message for them all.
void cutLongGroups(Setup &setup, Prompter &prompter) {
    const int most = setup.channelCount();
    int cut = 0;
    QString message;
    for (int i = 1; i <= setup.groupCount(); ++i) {
        group &g = *setup.groupAt(i);
        if (g.Count <= most) {
            continue;
        }
        if (cut++ == 0) {
            message = QStringLiteral("Group \"%1\" lists %2 channels; only the first %3 were kept.")
                          .arg(g.Description, QString::number(g.Count), QString::number(most));
        }
        while (g.Count > most) {
            g.RemoveChannel(g.Count);
        }
    }
    if (cut > 1) {
        message += QLatin1Char('\r') +
                   QStringLiteral("%1 more groups were cut the same way.").arg(cut - 1);
    }
    if (cut > 0) {
        prompter.message(message);
    }
}

}  // namespace

SetupReader::SetupReader(Setup &setup, Prompter &prompter, QLocale locale)
    : setup_(setup), prompter_(prompter), locale_(std::move(locale)) {}

SetupLoad SetupReader::read() {
    const QString fileName = setup_.state().SetupFileName;
    if (fileName.isEmpty()) {
        return SetupLoad::NoFile;
    }
    const auto cannotRead = [&](const QString &reason) {
        prompter_.message(fileName + QStringLiteral(" cannot be read:") + QLatin1Char('\r') +
                          reason + QLatin1Char('\r') + QStringLiteral("The setup is unchanged."));
        return SetupLoad::Unreadable;
    };
    // Read whole before anything is cleared, so that a file that cannot be read costs nothing.
    const WholeFile file = readWholeFile(fileName, kMostSetupBytes);
    switch (file.outcome) {
        case ReadOutcome::Read:
            break;
        case ReadOutcome::Missing:
            prompter_.message(fileName + QStringLiteral(" file not found."));
            return SetupLoad::NotFound;
        case ReadOutcome::NotAFile:
            prompter_.message(notAFileMessage(fileName));
            return SetupLoad::Unreadable;
        case ReadOutcome::TooLarge:
            return cannotRead(QStringLiteral("It is too large to be a setup file."));
        case ReadOutcome::Failed:
            return cannotRead(file.reason);
    }
    return readText(file.bytes, fileName);
}

SetupLoad SetupReader::readText(const QByteArray &bytes, const QString &fileName) {
    AppState &state = setup_.state();
    state.UpdateEnabled = false;
    setup_.ClearSetup();

    SetupLoad result = SetupLoad::Loaded;
    const std::vector<QString> lines = textLines(bytes);
    // The line that stops the load is one more line not understood, shown or counted with the
    // others.
    LineWarnings warnings;
    try {
        SetupFileWalk(setup_, warnings, locale_, lines).run();
    } catch (const LineFault &fault) {
        result = SetupLoad::Stopped;
        const QString &text = lines[static_cast<size_t>(fault.line)];
        warnings.add(QStringLiteral("Line %1 of %2 cannot be read:")
                         .arg(QString::number(fault.line + 1), fileName) +
                     QLatin1Char('\r') + text + QLatin1Char('\r') + fault.reason +
                     QLatin1Char('\r') + QStringLiteral("Loading stopped."));
    }
    warnings.show(prompter_);
    // With more lines not understood than are shown, the file is too damaged to be taken for
    // the setup it held.
    if (warnings.passedOver() > 0) {
        result = SetupLoad::Stopped;
    }
    cutLongGroups(setup_, prompter_);

    QString caption = state.ProductTitle + QStringLiteral(" [") + fileName + QLatin1Char(']');
    if (result != SetupLoad::Loaded) {
        state.SetupFileName.clear();
        caption += QStringLiteral(" (not loaded)");  // the name is gone, so must the promise
    }
    setup_.mainWindow().setCaption(caption);
    // The displays rebuild and the open dialogs show the new setup; a part that was read is
    // offered for saving. Then the hold a rebuild of the main display releases.
    const SetupChange replaced{SetupChange::Kind::Replaced};
    if (result == SetupLoad::Loaded) {
        setup_.markUnmodified();
        setup_.announce(replaced);
    } else {
        setup_.markModified(replaced);
    }
    state.releaseScanHold();
    state.UpdateEnabled = true;
    return result;
}

}  // namespace zelapp
