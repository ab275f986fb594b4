#include "setup/setup_commands.h"

#include <QDir>
#include <QFileInfo>

#include "base/file_chooser.h"
#include "base/line_warnings.h"
#include "base/prompter.h"
#include "base/whole_file.h"
#include "setup/mastered_times.h"
#include "setup/part_file.h"
#include "setup/part_program.h"
#include "setup/setup.h"
#include "setup/setup_writer.h"
#include "setup/unit_batch.h"

namespace zelapp {

namespace {
bool samePath(const QString &a, const QString &b) {
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) ==
           QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}
}  // namespace

SetupCommands::SetupCommands(Setup &setup, Prompter &prompter, FileChooser &chooser, QLocale locale)
    : setup_(setup), prompter_(prompter), chooser_(chooser), locale_(std::move(locale)) {}

QChar SetupCommands::decimalSeparator() const {
    const QString point = locale_.decimalPoint();
    return point.size() == 1 ? point.front() : QLatin1Char('.');
}

bool SetupCommands::confirmReplace() {
    if (replaceGuard_ && !replaceGuard_()) {
        return false;
    }
    return confirmSetupChanges(SaveBy::Save);
}

bool SetupCommands::confirmSetupChanges(SaveBy save) {
    if (!setup_.state().SetupModified) {
        return true;
    }
    const PromptAnswer answer =
        prompter_.ask(QStringLiteral("Setup has been modified\rSave changes"), {},
                      PromptIcon::Question, PromptButtons::YesNoCancel);
    switch (answer) {
        case PromptAnswer::Yes:
            return save == SaveBy::Save ? SaveFile_Click() : SaveAsFile_Click();
        case PromptAnswer::No:
            return true;
        default:
            return false;
    }
}

void SetupCommands::NewFile_Click() {
    if (confirmReplace()) {
        const UnitBatch batch(setup_.context());
        setup_.NewSetup();
        if (masteredTimes_ != nullptr) {
            masteredTimes_->clear();
        }
        if (partProgram_ != nullptr) {
            partProgram_->replace({});
            programFrom_.clear();
        }
    }
}

void SetupCommands::OpenFile_Click() {
    if (!confirmReplace()) {
        return;
    }
    // The folder the dialog opens in is the chooser's: the one last used for setups.
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Setups (*.zel)|*.zel|All (*.*)|*.*");
    const QString chosen = chooser_.chooseOpenFile(request);
    if (chosen.isEmpty()) {
        return;  // cancelled: the setup, its name and the caption stay
    }
    setup_.state().SetupFileName = chosen;
    loadSetupFile();
}

bool SetupCommands::SaveFile_Click() {
    // Without a name (none chosen yet, or a load that stopped) Save asks for one, so the
    // operator is never left believing that a setup was saved.
    if (setup_.state().SetupFileName.isEmpty()) {
        return SaveAsFile_Click();
    }
    return writeSetup(setup_.state().SetupFileName);
}

bool SetupCommands::SaveAsFile_Click() {
    FileDialogRequest request;
    request.filter = QStringLiteral("Zel Setups (*.zel)|*.zel|All (*.*)|*.*");
    request.defaultExtension = QStringLiteral("zel");
    const QString chosen = chooser_.chooseSaveFile(request);
    if (chosen.isEmpty() || !writeSetup(chosen, partFileToCopy(chosen))) {
        return false;  // cancelled or failed: the name and the caption stay as they were
    }
    AppState &state = setup_.state();
    state.SetupFileName = chosen;
    setup_.mainWindow().setCaption(state.ProductTitle + QStringLiteral(" [") + chosen +
                                   QLatin1Char(']'));
    return true;
}

QString SetupCommands::partFileToCopy(const QString &chosen) {
    const QString current = setup_.state().SetupFileName;
    if (current.isEmpty()) {
        return {};
    }
    const QString from = partFilePath(current);
    const QString to = partFilePath(chosen);
    if (!QFileInfo(from).isFile() || samePath(from, to)) {
        return {};
    }
    QString question = QStringLiteral("Copy the part file ") + from + QStringLiteral(" along to ") +
                       to + QLatin1Char('?');
    if (QFileInfo::exists(to)) {
        question += QLatin1Char('\r') + QStringLiteral("The part file there is replaced.");
    }
    return prompter_.ask(question, {}, PromptIcon::Question, PromptButtons::YesNo) ==
                   PromptAnswer::Yes
               ? current
               : QString();
}

bool SetupCommands::writeSetup(const QString &path, const QString &copyPartOf) {
    QString reason;
    if (!writeSetupFile(path, setup_, decimalSeparator(), &reason)) {
        prompter_.message(QStringLiteral("The setup could not be saved to ") + path +
                          QLatin1Char(':') + QLatin1Char('\r') + reason + QLatin1Char('\r') +
                          QStringLiteral("The previous file is unchanged."));
        return false;
    }
    setup_.markUnmodified();
    used(path);
    if (!copyPartOf.isEmpty()) {
        const PartFileBytes old = readPartFile(copyPartOf);
        const QString reason =
            old.error.isEmpty() ? saveWholeFile(partFilePath(path), old.bytes) : old.error;
        if (!reason.isEmpty()) {
            prompter_.message(QStringLiteral("The part file could not be copied to ") +
                              partFilePath(path) + QLatin1Char(':') + QLatin1Char('\r') + reason);
        }
    }
    writePartFile(path);
    setup_.mainWindow().showStatus(QStringLiteral("Setup saved to ") + QFileInfo(path).fileName());
    return true;
}

void SetupCommands::used(const QString &path) const {
    if (fileUsed_) {
        fileUsed_(path);
    }
}

SetupLoad SetupCommands::openSetupFile(const QString &path) {
    if (!confirmReplace()) {
        return SetupLoad::NoFile;
    }
    setup_.state().SetupFileName = path;
    return loadSetupFile();
}

// The setup is saved whatever becomes of the part file; a failure only says so.
void SetupCommands::writePartFile(const QString &setupPath) {
    const bool program = partProgram_ != nullptr && mayWritePartProgram(setupPath);
    if (masteredTimes_ == nullptr && !program) {
        return;
    }
    const QString reason = updatePartFile(setupPath, [&](const QByteArray &bytes) {
        const QByteArray times =
            masteredTimes_ != nullptr ? mergePartMastering(bytes, masteredTimes_->part()) : bytes;
        return program ? mergePartProgram(times, partProgram_->program()) : times;
    });
    if (!reason.isEmpty()) {
        prompter_.message(QStringLiteral("The part file could not be saved to ") +
                          partFilePath(setupPath) + QLatin1Char(':') + QLatin1Char('\r') + reason);
    } else if (program) {
        partProgramWritten(setupPath);
    }
}

bool SetupCommands::mayWritePartProgram(const QString &setupPath) {
    // Only the file the program was read from can hold lines that did not read; a copy made by
    // Save As is the operator's own choice.
    const QString path = partFilePath(setupPath);
    return partProgram_->readCleanly() || !samePath(path, partFilePath(programFrom_)) ||
           prompter_.ask(QStringLiteral("The part program in ") + path +
                             QStringLiteral(" did not read cleanly.") + QLatin1Char('\r') +
                             QStringLiteral("Replace it, losing the lines that did not read?"),
                         {}, PromptIcon::Question, PromptButtons::YesNo) == PromptAnswer::Yes;
}

void SetupCommands::partProgramWritten(const QString &setupPath) {
    programFrom_ = setupPath;
    partProgram_->replace(partProgram_->program(), true);
}

void SetupCommands::writePartProgram(const QString &setupPath) {
    if (!mayWritePartProgram(setupPath)) {
        return;
    }
    const QString reason = updatePartFile(setupPath, [this](const QByteArray &bytes) {
        return mergePartProgram(bytes, partProgram_->program());
    });
    if (!reason.isEmpty()) {
        prompter_.message(QStringLiteral("The part program could not be saved to ") +
                          partFilePath(setupPath) + QLatin1Char(':') + QLatin1Char('\r') + reason);
        return;
    }
    partProgramWritten(setupPath);
}

bool SetupCommands::savePartProgram(const PartProgram &program) {
    if (partProgram_ == nullptr) {
        return false;
    }
    const QString setupPath = setup_.state().SetupFileName;
    if (setupPath.isEmpty() || !QFileInfo(setupPath).isFile()) {
        const PromptAnswer answer = prompter_.ask(
            QStringLiteral("The part program is kept beside the setup file, and this setup has "
                           "not been saved yet.") +
                QLatin1Char('\r') + QStringLiteral("Save the setup now?"),
            {}, PromptIcon::Question, PromptButtons::YesNoCancel);
        if (answer == PromptAnswer::Cancel) {
            return false;
        }
        partProgram_->replace(program, partProgram_->readCleanly());
        return answer == PromptAnswer::No || SaveAsFile_Click();
    }
    partProgram_->replace(program, partProgram_->readCleanly());
    writePartProgram(setupPath);
    return true;
}

void SetupCommands::readPartProgram(const QString &setupPath, const QByteArray &bytes) {
    if (partProgram_ == nullptr) {
        return;
    }
    const PartProgramRead read = parsePartProgram(bytes);
    programFrom_ = setupPath;
    partProgram_->replace(read.program, read.clean());
    // One message for what the file says wrongly and what the setup cannot measure of it; the
    // characteristics stay in the program, for a setup that measures them again.
    QStringList paragraphs;
    if (!read.clean()) {
        LineWarnings warnings;
        for (const QString &warning : read.warnings) {
            warnings.add(warning);
        }
        paragraphs << QStringLiteral("Lines of the part program in ") + partFilePath(setupPath) +
                          QStringLiteral(" do not read; each of their keys takes its default:") +
                          QLatin1Char('\r') + warnings.listed().join(QLatin1Char('\r'));
    }
    if (const QStringList passedOver = passedOverCharacteristics(read.program, setup_);
        !passedOver.isEmpty()) {
        QString text = QStringLiteral("Characteristics of the part program in ") +
                       partFilePath(setupPath) +
                       QStringLiteral(" that the setup cannot measure are passed over:") +
                       QLatin1Char('\r') + passedOver.join(QLatin1Char('\r'));
        if (dynamicWithoutTime(read.program, setup_).empty() &&
            effectiveCharacteristics(read.program, setup_).empty()) {
            text += QLatin1Char('\r') + QStringLiteral("None is left: parts cannot be measured.");
        }
        paragraphs << text;
    }
    // Read at once after MAX/MIN are cleared, a run-out would pass every part: no part is
    // measured until the program gives the time.
    if (const std::vector<int> dynamic = dynamicWithoutTime(read.program, setup_);
        !dynamic.empty()) {
        QStringList lines;
        for (const int channel : dynamic) {
            lines << needsDynamicTimeText(setup_, channel);
        }
        paragraphs << QStringLiteral("The part program in ") + partFilePath(setupPath) +
                          QStringLiteral(" measures no part until it has a Dynamic time:") +
                          QLatin1Char('\r') + lines.join(QLatin1Char('\r'));
    }
    if (!paragraphs.isEmpty()) {
        prompter_.message(paragraphs.join(QStringLiteral("\r\r")), {}, PromptIcon::Warning);
    }
}

void SetupCommands::LoadTest_Click() {
    setup_.state().SetupFileName = QStringLiteral("test.zel");
    loadSetupFile();
}

SetupLoad SetupCommands::loadSetupFile() {
    const QString path = setup_.state().SetupFileName;
    SetupLoad load = SetupLoad::NoFile;
    {
        const UnitBatch batch(setup_.context());
        load = SetupReader(setup_, prompter_, locale_).read();
    }
    if (load == SetupLoad::Loaded) {
        used(path);
    }
    // A load that stopped part way still holds that file's channels, so its part file goes with
    // it: read once for the mastering times and the part program. One that cannot be read at all
    // is told here, by its name, and never replaced.
    if (load == SetupLoad::Loaded || load == SetupLoad::Stopped) {
        const PartFileBytes part = readPartFile(path);
        if (!part.error.isEmpty()) {
            prompter_.message(QStringLiteral("The part file ") + partFilePath(path) +
                              QStringLiteral(" cannot be read, so the setup's mastering times and "
                                             "part program take their defaults:") +
                              QLatin1Char('\r') + part.error);
        }
        if (masteredTimes_ != nullptr) {
            masteredTimes_->replace(parsePartMastering(part.bytes));
        }
        readPartProgram(path, part.bytes);
    }
    return load;
}

}  // namespace zelapp
