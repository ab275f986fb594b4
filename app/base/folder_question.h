// A folder the operator gives that is not there is asked about when given, never taken
// silently with its cause told later.
#pragma once

#include <QString>

namespace zelapp {

class Prompter;

// Nothing to ask (an empty text: the default folder; or the folder is there), or asks
// "The <what> <folder> does not exist.\rCreate it?": Yes makes it as the program makes its own
// folders (makePrivateFolder: the parts missing are the user's alone), No keeps it as given
// (what goes there waits until it is there), Cancel goes back. False when cancelled, or when it
// could not be made (said so).
bool confirmFolder(Prompter &prompter, const QString &folder, const QString &what);

}  // namespace zelapp
