// The windows' context over the program's session.
#pragma once

#include "view/window_context.h"

namespace zelapp {

class Session;

WindowContext sessionContext(Session &session);

}  // namespace zelapp
