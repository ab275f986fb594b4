// The help file shown in the desktop's viewer for its type (zelapp.html in the browser).
#pragma once

#include "base/help.h"

namespace zelapp {

class DesktopHelpViewer : public HelpViewer {
  public:
    bool showTopic(const QString &helpFile, long contextId, QString *error) override;
    // The browser is another program; there is nothing of ours to close.
    bool close(const QString &helpFile, QString *error) override;
};

}  // namespace zelapp
