// The time of day, as the program stamps what it did (when a channel was last mastered) and
// judges what is due. Tests give one they set themselves.
#pragma once

#include <QDateTime>

namespace zelapp {

class WallClock {
  public:
    virtual ~WallClock() = default;
    virtual QDateTime now() const = 0;
};

class SystemWallClock : public WallClock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

}  // namespace zelapp
