// `zelparts dfq --pending`: the parts waiting in the history's DFQ export queue, as the station's
// operator or a script checks that an upload folder is being emptied.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "history/part_store.h"

namespace zelparts {

// A header line, then one line per waiting part, oldest first, tab separated: id, time, part
// number, serial, folder, and "yes" when its file was written under its temporary name (it
// waits for the rename) or "no". Handed to `write` a page at a time; stops when it says false.
// The store's failure when the queue cannot be read.
std::optional<zelapp::StoreFailure> writePendingExports(
    zelapp::PartStore &store, const std::function<bool(const QString &)> &write);

}  // namespace zelparts
