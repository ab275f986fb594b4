// zelparts dfq: the history's parts as Q-DAS DFQ files, for a one-off transfer to a plant's
// quality system (the program's own export sends each part as it is measured).
#pragma once

#include <QIODevice>

#include "history/part_store.h"
#include "zelparts_options.h"

namespace zelparts {

// --out: the parts the filter selects, one file per part number and revision (its parts in the
// order measured) named by its first part, in `options.outFolder` (made when absent). Each is
// written under a temporary name, flushed and renamed; none is written when a name is taken.
// Prints "<file>\t<parts>" per file written; gives the exit status.
int dfq(zelapp::PartStore &store, const Options &options, QIODevice &out, QIODevice &err);

}  // namespace zelparts
