// The hidden value holders of the main window, one per channel: element i carries the shown
// text of channel i, element 0 is the design-time "DDE" element. The live-value exchange and
// the main window observe textChanged to pass new values on.
#pragma once

#include <QObject>
#include <QString>
#include <vector>

namespace zelapp {

class ChannelLabels : public QObject {
    Q_OBJECT
  public:
    ChannelLabels();

    // Elements 0..count()-1: one per channel of the setup, and element 0.
    int count() const { return static_cast<int>(texts_.size()); }
    // The text of element i; "" for elements that do not exist.
    QString text(int i) const;
    // Changes element i's text; emits textChanged when it differs. Elements that do not
    // exist are ignored.
    void setText(int i, const QString &text);

    // Creates the next element, its text "DDE" until its first reading.
    void addLabel();
    // Destroys element i, which must be the last one (elements go from the top down).
    void removeLabel(int i);

  signals:
    void textChanged(int index, const QString &text);
    void labelAdded(int index);
    void labelRemoved(int index);

  private:
    std::vector<QString> texts_;
};

}  // namespace zelapp
