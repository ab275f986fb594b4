// Where the live-value service of a program listens: one AF_UNIX socket per service in a folder
// private to the user. The program and its clients (zeldde, scripts) find it by the same rule.
#pragma once

#include <QString>

namespace zelapp {

// The service name of a program: its file name without folder and extension.
QString serviceNameOf(const QString &programPath);

// $ZEL_DDE_DIR when set and not empty, else $XDG_RUNTIME_DIR/zel-dde when XDG_RUNTIME_DIR is
// set, else /tmp/zel-dde-<uid>.
QString linkSocketFolder();

// The socket of a service in the folder: the service name in lower case, since service names
// are matched without regard to case.
QString linkSocketPath(const QString &folder, const QString &service);
inline QString linkSocketPath(const QString &service) {
    return linkSocketPath(linkSocketFolder(), service);
}

// Creates the folder (and its parents) when missing and makes sure it is the user's own and
// closed to others (mode 0700). On failure returns false and describes why in *error.
bool preparePrivateFolder(const QString &folder, QString *error);

}  // namespace zelapp
