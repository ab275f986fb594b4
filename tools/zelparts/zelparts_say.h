// How zelparts tells what went wrong: one line on standard error, after the program's name.
#pragma once

#include <QDir>
#include <QIODevice>
#include <QString>

#include "history/part_store.h"
#include "zelparts_options.h"

namespace zelparts {

inline void say(QIODevice &err, const QString &message) {
    err.write((QStringLiteral("zelparts: ") + message + QLatin1Char('\n')).toLocal8Bit());
}

inline int failed(QIODevice &err, const zelapp::PartStore &store,
                  const zelapp::StoreFailure &failure) {
    say(err, QStringLiteral("cannot read %1: %2%3")
                 .arg(QDir::toNativeSeparators(store.file()), failure.cause,
                      failure.damaged ? QStringLiteral(" (the file is damaged)") : QString()));
    return kExitFailed;
}

}  // namespace zelparts
