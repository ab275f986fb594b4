// The parts of the history as CSV, the one form the history window's export and `zelparts csv`
// share: UTF-8, RFC 4180 quoting, the separators of a profile (history/csv_profile.h), times in
// ISO 8601 with their offset, a header row. Columns:
// id,time,station,part_number,serial,verdict,reason,completed,part_id, then one column per channel
// in the union of the rows' characteristics, headed "C<n> <description>".
#pragma once

#include <QIODevice>
#include <functional>
#include <optional>

#include "history/csv_profile.h"
#include "history/part_store.h"

namespace zelapp {

// Told the number of rows written so far now and then; false stops the export.
using CsvProgress = std::function<bool(qint64 rows, qint64 total)>;

struct CsvOutcome {
    qint64 rows = 0;
    bool cancelled = false;
    std::optional<StoreFailure> failure;  // the store could not be read, or `out` not written
};

// Writes the parts the filter selects, oldest first, to `out`, reading the store a page at a
// time (no statement stays open between pages).
CsvOutcome writePartsCsv(PartStore &store, const PartFilter &filter, QIODevice &out,
                         const CsvProgress &progress = {}, const CsvProfile &profile = {});

}  // namespace zelapp
