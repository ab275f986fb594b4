// Who is at the station: the login name the events and the frozen limits are signed with, as a
// default the operator may change.
#pragma once

#include <QString>

namespace zelapp {

// $USER, else $LOGNAME, else $USERNAME (Windows); empty when none is set.
QString currentUserName();

}  // namespace zelapp
