// Whether a folder lies on a network file system. SQLite's WAL shares its index through memory
// mapped from a file, which only works among processes of one host, so the parts' history never
// lives on a network share.
#pragma once

#include <QString>

namespace zelapp {

// The name of the network file system with this statfs type ("NFS", "SMB" ...); empty for a
// local one.
QString networkFileSystemName(unsigned long type);

// The network file system the folder (or, when it does not exist yet, its nearest existing
// parent) lies on; empty when it is local or cannot be told.
QString networkFileSystemOf(const QString &folder);

}  // namespace zelapp
