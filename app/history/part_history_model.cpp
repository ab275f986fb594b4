#include "history/part_history_model.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

#include "display/value_zone.h"
#include "history/stored_part_text.h"

namespace zelapp {

namespace {

const std::vector<RevisionCharacteristic> kNoRevision;

// Black or white, whichever reads better on the zone's colour.
QColor inkOn(const QColor &background) {
    const double luminance =
        0.2126 * background.redF() + 0.7152 * background.greenF() + 0.0722 * background.blueF();
    return luminance > 0.45 ? QColor(Qt::black) : QColor(Qt::white);
}

QString sideWord(ToleranceVerdict verdict) {
    const int side = verdictSide(verdict);
    return side > 0 ? QStringLiteral(" high") : side < 0 ? QStringLiteral(" low") : QString();
}

}  // namespace

PartFilter todayFilter(const QDateTime &now) {
    PartFilter filter;
    const QDateTime local = now.toLocalTime();
    filter.since = QDateTime(local.date(), QTime(0, 0));
    return filter;
}

ToleranceVerdict verdictOfCode(const QString &code) {
    for (ToleranceVerdict verdict :
         {ToleranceVerdict::Good, ToleranceVerdict::WarningPlus, ToleranceVerdict::WarningMinus,
          ToleranceVerdict::RejectPlus, ToleranceVerdict::RejectMinus}) {
        if (verdictCode(verdict) == code) {
            return verdict;
        }
    }
    return ToleranceVerdict::NotValid;
}

QString verdictInWords(ToleranceVerdict verdict) {
    return verdictWord(verdict) + sideWord(verdict);
}

QString signedValueText(const std::optional<double> &value, int decimals) {
    // The results' text; a rounded zero has no sign, so it gets no "+" either.
    QString text = storedValueText(value, decimals);
    if (text.isEmpty()) {
        return QStringLiteral("—");
    }
    const bool zero = !std::any_of(text.cbegin(), text.cend(),
                                   [](QChar c) { return c.isDigit() && c != QLatin1Char('0'); });
    if (!zero && !text.startsWith(QLatin1Char('-'))) {
        text.prepend(QLatin1Char('+'));
    }
    return text;
}

PartHistoryModel::PartHistoryModel(QString file, PartFilter filter, QObject *parent)
    : QAbstractTableModel(parent), file_(std::move(file)), filter_(std::move(filter)) {
    reload();
}

PartHistoryModel::~PartHistoryModel() = default;

void PartHistoryModel::setFilter(const PartFilter &filter) {
    filter_ = filter;
    reload();
}

void PartHistoryModel::setFile(const QString &file) {
    store_.close();
    file_ = file;
    revisions_.clear();
    lastError_.clear();
    reload();
}

void PartHistoryModel::setZonePalette(const ZonePalette &palette) {
    palette_ = palette;
    if (!parts_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole});
    }
}

void PartHistoryModel::reload() {
    // The first page is read inside the reset: a view sees one change, never an empty table
    // followed by rows.
    beginResetModel();
    parts_.clear();
    channels_.clear();
    descriptions_.clear();
    loaded_ = false;
    exhausted_ = false;
    if (std::optional<PartPage> page = nextPage()) {
        addChannels(page->parts, false);
        parts_ = std::move(page->parts);
    }
    endResetModel();
}

bool PartHistoryModel::ensureOpen() {
    if (store_.isOpen()) {
        return true;
    }
    if (!QFileInfo::exists(file_)) {
        return false;  // no part recorded yet: an empty history, not a fault
    }
    OpenOptions options;
    options.readOnly = true;
    const OpenOutcome outcome = store_.open(file_, options);
    if (!outcome.ok()) {
        fail(outcome.message);
        return false;
    }
    return true;
}

void PartHistoryModel::fail(const QString &message) {
    lastError_ = message;
    emit failed(message);
}

void PartHistoryModel::failRead(const StoreFailure &failure) {
    fail(QStringLiteral("The parts history could not be read: %1.").arg(failure.cause));
}

QStringList PartHistoryModel::partNumbers() {
    QStringList numbers;
    if (!ensureOpen()) {
        return numbers;
    }
    if (std::optional<StoreFailure> failure = store_.partNumbers(&numbers)) {
        failRead(*failure);
    }
    return numbers;
}

int PartHistoryModel::channelAt(int column) const {
    const int i = column - FirstValueColumn;
    return i >= 0 && i < static_cast<int>(channels_.size()) ? channels_[i] : 0;
}

const std::vector<RevisionCharacteristic> &PartHistoryModel::revision(qint64 id) {
    if (const std::vector<RevisionCharacteristic> *known = revisions_.cached(id)) {
        return *known;
    }
    if (!ensureOpen()) {
        return kNoRevision;
    }
    std::optional<StoreFailure> failure;
    const std::vector<RevisionCharacteristic> *read = revisions_.get(id, &failure);
    if (read == nullptr) {
        failRead(*failure);
        return kNoRevision;
    }
    return *read;
}

const RevisionCharacteristic *PartHistoryModel::characteristic(qint64 revision, int channel) const {
    const std::vector<RevisionCharacteristic> *known = revisions_.cached(revision);
    return known != nullptr ? characteristicOf(*known, channel) : nullptr;
}

void PartHistoryModel::addChannels(const std::vector<StoredPart> &parts, bool announce) {
    for (const StoredPart &part : parts) {
        revision(part.revision);  // read once, before any cell of it is shown
        for (const StoredValue &value : part.values) {
            const auto at = std::lower_bound(channels_.begin(), channels_.end(), value.channel);
            if (at != channels_.end() && *at == value.channel) {
                continue;
            }
            const int column = FirstValueColumn + static_cast<int>(at - channels_.begin());
            const RevisionCharacteristic *c = characteristic(part.revision, value.channel);
            if (announce) {
                beginInsertColumns({}, column, column);
            }
            channels_.insert(at, value.channel);
            descriptions_[value.channel] = c != nullptr ? c->description : QString();
            if (announce) {
                endInsertColumns();
            }
        }
    }
}

bool PartHistoryModel::canFetchMore(const QModelIndex &parent) const {
    return !parent.isValid() && !exhausted_;
}

std::optional<PartPage> PartHistoryModel::nextPage() {
    if (exhausted_ || !ensureOpen()) {
        return std::nullopt;
    }
    const qint64 before = parts_.empty() ? 0 : parts_.back().id;
    PartPage page = store_.newestBefore(before, kPageSize, filter_);
    if (page.failure) {
        // Asking again at every scroll would only repeat the message.
        exhausted_ = true;
        failRead(*page.failure);
        return std::nullopt;
    }
    lastError_.clear();
    loaded_ = true;
    exhausted_ = static_cast<int>(page.parts.size()) < kPageSize;
    return page;
}

void PartHistoryModel::fetchMore(const QModelIndex &parent) {
    if (parent.isValid()) {
        return;
    }
    std::optional<PartPage> page = nextPage();
    if (!page || page->parts.empty()) {
        return;
    }
    addChannels(page->parts, true);
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(page->parts.size()) - 1);
    std::move(page->parts.begin(), page->parts.end(), std::back_inserter(parts_));
    endInsertRows();
}

void PartHistoryModel::partAdded() {
    if (!loaded_) {
        reload();  // the file appeared, or the first read failed: start from the newest
        return;
    }
    if (!ensureOpen()) {
        return;
    }
    std::vector<StoredPart> added;  // oldest first
    qint64 from = parts_.empty() ? 1 : parts_.front().id + 1;
    for (;;) {
        PartPage page = store_.range(from, std::numeric_limits<qint64>::max(), kPageSize, filter_);
        if (page.failure) {
            failRead(*page.failure);
            break;
        }
        const bool last = static_cast<int>(page.parts.size()) < kPageSize;
        if (!page.parts.empty()) {
            from = page.parts.back().id + 1;
        }
        std::move(page.parts.begin(), page.parts.end(), std::back_inserter(added));
        if (last) {
            break;
        }
    }
    if (added.empty()) {
        return;
    }
    std::reverse(added.begin(), added.end());
    addChannels(added, true);
    beginInsertRows({}, 0, static_cast<int>(added.size()) - 1);
    parts_.insert(parts_.begin(), std::make_move_iterator(added.begin()),
                  std::make_move_iterator(added.end()));
    endInsertRows();
}

int PartHistoryModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(parts_.size());
}

int PartHistoryModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : FirstValueColumn + static_cast<int>(channels_.size());
}

QVariant PartHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
        return {};
    }
    switch (section) {
        case TimeColumn:
            return QStringLiteral("Time");
        case NumberColumn:
            return QStringLiteral("Part number");
        case SerialColumn:
            return QStringLiteral("Serial");
        case VerdictColumn:
            return QStringLiteral("Verdict");
        default:
            break;
    }
    const int channel = channelAt(section);
    const auto found = descriptions_.find(channel);
    const QString description = found != descriptions_.end() ? found->second : QString();
    return QStringLiteral("C%1 %2").arg(channel).arg(description).trimmed();
}

QVariant PartHistoryModel::zoneData(ToleranceVerdict verdict, int role) const {
    QColor colour;
    switch (valueZoneOf(verdict).zone) {
        case BarZone::Good:
            colour = palette_.good;
            break;
        case BarZone::Approach:
            colour = palette_.approach;
            break;
        case BarZone::Reject:
            colour = palette_.reject;
            break;
        case BarZone::Neutral:
            break;
    }
    if (!colour.isValid()) {
        return {};
    }
    return role == Qt::BackgroundRole ? colour : inkOn(colour);
}

QVariant PartHistoryModel::valueData(const StoredPart &part, int channel, int role) const {
    const auto value =
        std::find_if(part.values.begin(), part.values.end(),
                     [channel](const StoredValue &v) { return v.channel == channel; });
    if (value == part.values.end()) {
        return {};  // the part's program had no such characteristic
    }
    const RevisionCharacteristic *c = characteristic(part.revision, channel);
    const ToleranceVerdict verdict = verdictOfCode(value->verdict);
    const QString text = signedValueText(value->value, c != nullptr ? c->decimals : 4);
    switch (role) {
        case Qt::DisplayRole: {
            const QString mark = valueZoneOf(verdict).symbol;
            return verdict == ToleranceVerdict::Good || mark.isEmpty() ? text : text + u' ' + mark;
        }
        case Qt::ToolTipRole:
        case Qt::AccessibleTextRole: {
            QString said = QStringLiteral("C%1").arg(channel);
            if (c != nullptr && !c->description.isEmpty()) {
                said += u' ' + c->description;
            }
            said += QStringLiteral(": ") + text;
            if (value->value && c != nullptr && !c->units.isEmpty()) {
                said += u' ' + c->units;
            }
            said += QStringLiteral(", ") + verdictInWords(verdict);
            if (!value->reason.isEmpty()) {
                said += QStringLiteral(" (") + value->reason + u')';
            }
            return said;
        }
        case Qt::BackgroundRole:
        case Qt::ForegroundRole:
            return zoneData(verdict, role);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant PartHistoryModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const StoredPart &p = parts_[static_cast<std::size_t>(index.row())];
    const ToleranceVerdict verdict = verdictOfCode(p.verdict);
    switch (index.column()) {
        case TimeColumn:
            if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
                return p.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            }
            return {};
        case NumberColumn:
            if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
                return p.number;
            }
            return {};
        case SerialColumn:
            if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
                return QString::number(p.serial);
            }
            if (role == Qt::TextAlignmentRole) {
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            }
            return {};
        case VerdictColumn:
            if (role == Qt::DisplayRole) {
                return p.verdict + u' ' + verdictWord(verdict);
            }
            if (role == Qt::ToolTipRole || role == Qt::AccessibleTextRole) {
                return p.reason.isEmpty()
                           ? verdictInWords(verdict)
                           : verdictInWords(verdict) + QStringLiteral(": ") + p.reason;
            }
            if (role == Qt::BackgroundRole || role == Qt::ForegroundRole) {
                return zoneData(verdict, role);
            }
            return {};
        default:
            return valueData(p, channelAt(index.column()), role);
    }
}

}  // namespace zelapp
