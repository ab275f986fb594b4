// The part program dialog's lists, as item models over its tool: the setup's channels to choose
// the characteristics from (number, description, formula, limits, a check box each) and the run
// rules, by name, watched on one channel. Each reads the tool again at reload(); a check goes
// to the tool at once.
#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <vector>

#include "part/part_program_tool.h"

namespace zelapp {

class CharacteristicsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kChannel, kDescription, kFormula, kLimits, kColumnCount };
    explicit CharacteristicsModel(PartProgramTool &tool, QObject *parent = nullptr);

    // The tool's rows again: the setup or the program changed.
    void reload();
    // Checks or clears a row's channel, as Space does.
    void toggle(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    PartProgramTool &tool_;
    std::vector<CharacteristicRow> rows_;
};

class RunRulesModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit RunRulesModel(PartProgramTool &tool, QObject *parent = nullptr);

    // The channel whose rules are shown; 0: none (nothing can be checked).
    void setChannel(int channel);
    int channel() const { return channel_; }
    void reload();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

  private:
    PartProgramTool &tool_;
    int channel_ = 0;
};

}  // namespace zelapp
