#include "part/program_lists.h"

#include <algorithm>

namespace zelapp {

CharacteristicsModel::CharacteristicsModel(PartProgramTool &tool, QObject *parent)
    : QAbstractTableModel(parent), tool_(tool), rows_(tool.characteristicRows()) {}

void CharacteristicsModel::reload() {
    std::vector<CharacteristicRow> rows = tool_.characteristicRows();
    if (rows.size() != rows_.size()) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
        return;
    }
    if (rows != rows_) {
        rows_ = std::move(rows);
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    }
}

void CharacteristicsModel::toggle(int row) {
    if (row >= 0 && row < rowCount()) {
        const bool chosen = rows_[static_cast<std::size_t>(row)].chosen;
        setData(index(row, kChannel), chosen ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
}

int CharacteristicsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CharacteristicsModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CharacteristicsModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const CharacteristicRow &row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::CheckStateRole && index.column() == kChannel) {
        return row.chosen ? Qt::Checked : Qt::Unchecked;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
        case kChannel:
            return QStringLiteral("C%1").arg(row.channel);
        case kDescription:
            return row.description;
        case kFormula:
            return row.formula;
        case kLimits:
            return row.limits;
        default:
            return {};
    }
}

bool CharacteristicsModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || index.column() != kChannel ||
        !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return false;
    }
    CharacteristicRow &row = rows_[static_cast<std::size_t>(index.row())];
    tool_.setCharacteristic(row.channel, value.toInt() == Qt::Checked);
    row.chosen = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags CharacteristicsModel::flags(const QModelIndex &index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == kChannel ? flags | Qt::ItemIsUserCheckable : flags;
}

QVariant CharacteristicsModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    static const QString kTitles[kColumnCount] = {
        QStringLiteral("Channel"), QStringLiteral("Description"), QStringLiteral("Formula"),
        QStringLiteral("Limits")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumnCount) {
        return {};
    }
    return kTitles[section];
}

RunRulesModel::RunRulesModel(PartProgramTool &tool, QObject *parent)
    : QAbstractListModel(parent), tool_(tool) {}

void RunRulesModel::setChannel(int channel) {
    channel_ = channel;
    reload();
}

void RunRulesModel::reload() {
    emit dataChanged(index(0), index(rowCount() - 1));
}

int RunRulesModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : PartProgram::kRuleCount;
}

QVariant RunRulesModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const int rule = index.row() + 1;
    if (role == Qt::DisplayRole) {
        return runRuleName(rule);
    }
    if (role == Qt::CheckStateRole) {
        const std::vector<int> rules = tool_.rulesOf(channel_);
        return channel_ > 0 && std::find(rules.begin(), rules.end(), rule) != rules.end()
                   ? Qt::Checked
                   : Qt::Unchecked;
    }
    return {};
}

bool RunRulesModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || channel_ <= 0 ||
        !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return false;
    }
    tool_.setRule(channel_, index.row() + 1, value.toInt() == Qt::Checked);
    // Clearing the last rule leaves rule 1: every row may have changed.
    reload();
    return true;
}

Qt::ItemFlags RunRulesModel::flags(const QModelIndex &index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    return channel_ > 0 ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                        : Qt::ItemIsSelectable;
}

}  // namespace zelapp
