// A help viewer that only counts what it was asked to show.
#pragma once

#include "base/help.h"

namespace zeltest {

class NoHelpViewer : public zelapp::HelpViewer {
  public:
    int shows = 0;
    bool showTopic(const QString &, long, QString *) override {
        ++shows;
        return true;
    }
    bool close(const QString &, QString *) override { return true; }
};

}  // namespace zeltest
