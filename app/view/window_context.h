// What a window may reach of the program: the result, part program, history and statistics
// windows and the dialogs are made over this and not over the session, so that each says what it
// uses, includes only that, and can be made in a test over parts of the test's own. References
// only; the main window makes it from the session (core/view/session_context.h).
#pragma once

namespace zelapp {

class ActivePartProgram;
class DfqExport;
class DialogTools;
class PaletteSetting;
class FileChooser;
class HelpTopics;
class PartCycle;
class PartHistory;
class PartProgramTool;
class ProcessWatch;
class Prompter;
class SettingsStore;
class Setup;
class UnitApi;
struct AppState;

struct WindowContext {
    PartCycle &partCycle;
    PartHistory &history;
    ProcessWatch &processWatch;
    DfqExport &dfqExport;
    // The part program of the setup in use, and the part program dialog's tool.
    ActivePartProgram &partProgram;
    PartProgramTool &partProgramTool;
    const Setup &setup;
    // The settings and shared state: the program folder (the windows' icon) among them.
    const AppState &state;
    Prompter &prompter;
    // The file dialogs, opening in the last folder used.
    FileChooser &chooser;
    // The per-user settings store.
    SettingsStore &settings;
    HelpTopics &help;
    // The dialogs' tools, and the unit the About box reads.
    DialogTools &dialogs;
    UnitApi &unit;
    // The palette the verdicts are shown in, and its change notice.
    PaletteSetting &palette;
};

}  // namespace zelapp
