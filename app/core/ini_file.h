// zelapp.ini, the application settings file in the program's folder: read at start-up over the
// default settings, written by the main window when it closes.
#pragma once

#include <QByteArray>
#include <QString>

#include "base/app_state.h"
#include "base/whole_file.h"

namespace zelapp {

// Applies the recognised keys of a zelapp.ini text to the settings. A value that does not fit
// its setting (outside 16 bits, a count outside 0..255, or not a finite Single) leaves the
// setting as it was.
void readIniText(const QByteArray &text, AppState &state);

// Applies the file at `path`; anything but Read leaves the settings alone (the caller shows the
// message). A folder, FIFO or device by that name is NotAFile, refused before it is opened.
ReadOutcome readIniFile(const QString &path, AppState &state);

// The eleven lines, CR LF, byte-exact. Numbers always use "." so the file reads back in any
// locale.
QByteArray iniFileText(const AppState &state);

// Writes through a temporary file in the same folder, so a failed write keeps the old file;
// false plus a readable reason in *error (when not null) on failure.
bool writeIniFile(const QString &path, const AppState &state, QString *error);

}  // namespace zelapp
