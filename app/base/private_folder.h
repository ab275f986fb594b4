// Folders the program makes for what only their user should read (the history's folder, the MQTT
// publisher's state): each folder made here is 0700. A folder already there is left as its owner
// set it up.
#pragma once

#include <QString>

namespace zelapp {

// Makes `folder` and the parents it lacks, each 0700. True when it is there afterwards.
bool makePrivateFolder(const QString &folder);
// No group or other user may enter `folder` (false when it cannot be asked).
bool isPrivateFolder(const QString &folder);

}  // namespace zelapp
