// One stored part in full: its fields and the setup revision that judged it, read-only.
#pragma once

#include <QDialog>

#include "history/part_details.h"

namespace zelapp {

class DlgPartDetails : public QDialog {
    Q_OBJECT
  public:
    DlgPartDetails(const PartDetails &details, QWidget *parent = nullptr);
};

}  // namespace zelapp
