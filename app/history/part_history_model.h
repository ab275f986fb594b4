// The parts of the history as a table, newest first, for the history window: one row per part
// (time, part number, serial, verdict) and a column per characteristic channel. It reads the file
// through a read-only connection of its own, one page at a time (fetchMore), and ends each
// statement before it hands the page back, so a history of a million parts opens at once and never
// holds a reader that would stop the writer's checkpoints.
// - Columns: the channels seen in the rows read so far, in channel order, headed
//   "C<n> <description>" (the description of the newest part that had it); a page that brings a
//   new channel inserts its column.
// - A value is shown at the decimals of the revision that judged it, with its sign, in the zone
//   colour of its stored verdict (what judged the part then, not today's limits), and with the
//   zone's mark when it is not good, so colour is never the only cue.
// - A store that fails leaves the rows already read and says why (lastError(), failed()).
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

#include "history/part_store.h"
#include "history/revision_cache.h"
#include "model/verdict_marks.h"

namespace zelapp {

// The colours of the zones, as the grid and the bars show them; an invalid colour: none.
struct ZonePalette {
    QColor good;
    QColor approach;
    QColor reject;
};

// Today's parts: from the last local midnight before `now`, with no end.
PartFilter todayFilter(const QDateTime &now);
// "G" → Good, "R+" → RejectPlus ...; anything else is Not valid.
ToleranceVerdict verdictOfCode(const QString &code);
// "GOOD", "WARNING high", "REJECT low", "NOT VALID": a verdict said in words, side included.
QString verdictInWords(ToleranceVerdict verdict);
// A stored value as the results show it (storedValueText) with "+" before one above zero
// ("+0.0012", "-0.0034", "0.0000"); "—" when none.
QString signedValueText(const std::optional<double> &value, int decimals);

class PartHistoryModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kPageSize = 200;
    enum Column { TimeColumn, NumberColumn, SerialColumn, VerdictColumn, FirstValueColumn };

    // Reads `file` (the one the program writes), the first page at once. A file that does not
    // exist yet is an empty history: it is opened when a part is added.
    explicit PartHistoryModel(QString file, PartFilter filter = {}, QObject *parent = nullptr);
    ~PartHistoryModel() override;

    const QString &file() const { return file_; }
    // Reads another file (the settings moved the history), from its newest part.
    void setFile(const QString &file);
    // Resets the rows to the parts the new filter selects, reading their first page.
    void setFilter(const PartFilter &filter);
    const PartFilter &filter() const { return filter_; }
    void setZonePalette(const ZonePalette &palette);

    const StoredPart &part(int row) const { return parts_.at(static_cast<std::size_t>(row)); }
    // The channel of a value column; 0 for the others.
    int channelAt(int column) const;
    // The characteristics that judged the parts of a revision, read once; empty when it cannot
    // be read (lastError() says why).
    const std::vector<RevisionCharacteristic> &revision(qint64 id);
    // The part numbers recorded, that of the newest part first: what the filter offers. Empty
    // when none is recorded or they cannot be read (lastError() says why).
    QStringList partNumbers();
    // The model's own connection, for reads of the same file on this thread (the export).
    PartStore &store() { return store_; }
    // Why the last read failed; empty after one that worked.
    const QString &lastError() const { return lastError_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

  public slots:
    // A part was recorded: the parts above the newest row that the filter selects go on top.
    void partAdded();
    // Reads the parts again from the newest.
    void reload();

  signals:
    // A read failed; the rows read before stay.
    void failed(const QString &message);

  private:
    bool ensureOpen();
    void fail(const QString &message);
    void failRead(const StoreFailure &failure);
    // Adds the columns of channels the parts bring that are not shown yet.
    void addChannels(const std::vector<StoredPart> &parts, bool announce);
    // The page below the last row; none when there is no more or it cannot be read.
    std::optional<PartPage> nextPage();
    const RevisionCharacteristic *characteristic(qint64 revision, int channel) const;
    QVariant valueData(const StoredPart &part, int channel, int role) const;
    QVariant zoneData(ToleranceVerdict verdict, int role) const;

    QString file_;
    PartFilter filter_;
    PartStore store_;
    ZonePalette palette_;
    std::vector<StoredPart> parts_;  // newest first
    std::vector<int> channels_;      // of the value columns, ascending
    std::map<int, QString> descriptions_;
    RevisionCache revisions_{store_};
    bool loaded_ = false;     // the first page was read
    bool exhausted_ = false;  // the last page was read
    QString lastError_;
};

}  // namespace zelapp
