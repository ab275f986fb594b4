#include "base/user_name.h"

#include <QProcessEnvironment>

namespace zelapp {

QString currentUserName() {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"USER", "LOGNAME", "USERNAME"}) {
        const QString value = environment.value(QString::fromLatin1(name)).trimmed();
        if (!value.isEmpty()) {
            return value;
        }
    }
    return {};
}

}  // namespace zelapp
