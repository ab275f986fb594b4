// The publisher's memory across restarts: which history file it reads (its UUID) and the last
// part the broker acknowledged. Small, and written through a temporary file so that a crash
// leaves the old state or the new one, never half of either.
#pragma once

#include <QString>
#include <optional>

namespace zelmqtt {

struct PublishState {
    QString db;            // the history file's UUID
    qint64 lastAcked = 0;  // the last part id the broker acknowledged; 0: none yet
    bool operator==(const PublishState &) const = default;
};

// The state in `file`; none when the file is absent or unreadable (the publisher then starts
// from the history's first part: a part is sent twice rather than never).
std::optional<PublishState> readPublishState(const QString &file);
// Writes the state atomically, 0600 (in a 0700 folder when the folder has to be made); false
// with *error when it could not be written.
bool writePublishState(const QString &file, const PublishState &state, QString *error);

// The id to publish first in the history `uuid`: after the one acknowledged when the state
// names this history, else its first part.
qint64 firstToPublish(const std::optional<PublishState> &state, const QString &uuid);

}  // namespace zelmqtt
