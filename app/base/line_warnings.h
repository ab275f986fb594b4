// The messages about lines of a file that were not understood. A damaged file, or one that is
// no file of its kind at all, could give hundreds, each a box to close: the operator sees the
// first few one by one, then how many more there were.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <vector>

namespace zelapp {

class Prompter;

class LineWarnings {
  public:
    static constexpr std::size_t kMostShown = 10;

    // Keeps the text while fewer than kMostShown are kept, and counts the others.
    void add(const QString &text);
    // How many were counted and not kept.
    std::size_t passedOver() const { return passedOver_; }
    // The kept ones one by one, then "<n> more lines of this file were not understood and were
    // passed over." when any was passed over.
    void show(Prompter &prompter) const;
    // The same texts for one message that lists them, one a line.
    QStringList listed() const;

  private:
    std::vector<QString> kept_;
    std::size_t passedOver_ = 0;
};

}  // namespace zelapp
