// Check boxes whose handler runs for every change the operator makes: a click, the Space key,
// or an assistive tool, which toggles a box without clicking it. A form that sets the box to
// show its tool's state again does not run the handler: the box then already says what the
// tool holds.
#pragma once

#include <QCheckBox>

namespace zelapp {

// `toolState` is what the tool holds for the box; `handler` takes the box's new state.
template <typename ToolState, typename Handler>
void onOperatorToggle(QCheckBox *box, QObject *context, ToolState toolState, Handler handler) {
    QObject::connect(box, &QCheckBox::toggled, context, [toolState, handler](bool checked) {
        if (checked != toolState()) {
            handler(checked);
        }
    });
}

}  // namespace zelapp
