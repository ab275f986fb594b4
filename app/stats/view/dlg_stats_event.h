// What the operator records about the process: who (default the login name) and why, and for an
// exclusion which part of the chosen point. The reason is required: OK stays disabled while it
// is empty. Opened window-modal and non-blocking, so the cycle and the charts go on behind it.
#pragma once

#include <QDialog>
#include <utility>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zelapp {

class DlgStatsEvent : public QDialog {
    Q_OBJECT
  public:
    // `parts` (id, text) offers a choice of part; empty: none asked.
    DlgStatsEvent(const QString &title, const QString &who,
                  const std::vector<std::pair<qint64, QString>> &parts, QWidget *parent);
    QString who() const;
    QString why() const;
    qint64 partId() const;  // 0 when no part was asked

  private:
    QLineEdit *who_ = nullptr;
    QLineEdit *why_ = nullptr;
    QComboBox *part_ = nullptr;
    QPushButton *ok_ = nullptr;
};

}  // namespace zelapp
