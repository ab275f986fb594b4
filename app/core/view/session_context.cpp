#include "core/view/session_context.h"

#include "core/session.h"

namespace zelapp {

WindowContext sessionContext(Session &session) {
    return {session.partCycle(), session.partHistory(),    session.processWatch(),
            session.dfqExport(), session.partProgram(),    session.partProgramTool(),
            session.setup(),     session.state(),          session.services().prompter,
            session.chooser(),   session.services().store, session.commands(),
            session.dialogs(),   session.unit(),           session.palette()};
}

}  // namespace zelapp
