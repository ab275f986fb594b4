#include "part/view/form_part_program.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <map>

#include "base/file_chooser.h"
#include "base/help.h"
#include "base/help_topics.h"
#include "ui_form_part_program.h"
#include "view/window_context.h"

namespace zelapp {

namespace {
enum ExportColumn {
    kChannelColumn,
    kDescriptionColumn,
    kNominalColumn,
    kSidesColumn,
    kRulesColumn,
    kDistributionColumn,
    kColumnCount
};

// The texts of a column chosen from a list, in the order of the enum it shows.
const QStringList kSidesTexts = {QStringLiteral("Both"), QStringLiteral("Upper only"),
                                 QStringLiteral("Lower only")};
const QStringList kDistributionTexts = {QStringLiteral("Normal"), QStringLiteral("Weibull"),
                                        QStringLiteral("Folded normal"),
                                        QStringLiteral("Lognormal")};

template <typename Enum>
QString textOf(const QStringList &texts, Enum value) {
    return texts.value(static_cast<int>(value));
}

// The first when the text is none of them.
template <typename Enum>
Enum valueOf(const QStringList &texts, const QString &text) {
    return static_cast<Enum>(std::max(0, static_cast<int>(texts.indexOf(text))));
}

// A column chosen from a list, never typed.
class ChoiceDelegate : public QStyledItemDelegate {
  public:
    ChoiceDelegate(QStringList texts, QObject *parent)
        : QStyledItemDelegate(parent), texts_(std::move(texts)) {}
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &) const override {
        auto *combo = new QComboBox(parent);
        combo->addItems(texts_);
        return combo;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override {
        static_cast<QComboBox *>(editor)->setCurrentText(index.data().toString());
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override {
        model->setData(index, static_cast<QComboBox *>(editor)->currentText());
    }

  private:
    QStringList texts_;
};
}  // namespace

FormPartProgram::FormPartProgram(PartProgramTool &tool, FileChooser &chooser, QWidget *parent)
    : HostedDialog(parent),
      ui_(std::make_unique<Ui::FormPartProgram>()),
      tool_(tool),
      chooser_(chooser) {
    ui_->setupUi(this);
    characteristics_ = new CharacteristicsModel(tool_, this);
    ui_->ListCharacteristics->setModel(characteristics_);
    ui_->ListCharacteristics->horizontalHeader()->setSectionResizeMode(
        QHeaderView::ResizeToContents);
    ui_->ListCharacteristics->installEventFilter(this);
    rules_ = new RunRulesModel(tool_, this);
    ui_->ListRules->setModel(rules_);
    // The rules shown are those of the channel current in the export keys.
    connect(ui_->TableExport, &QTableWidget::currentCellChanged, this,
            [this](int row) { rules_->setChannel(row + 1); });
    // A rule checked shows in the export keys' column at once.
    connect(rules_, &QAbstractItemModel::dataChanged, this, &FormPartProgram::fillExportTable);
    ui_->TableExport->setItemDelegateForColumn(kSidesColumn,
                                               new ChoiceDelegate(kSidesTexts, ui_->TableExport));
    ui_->TableExport->setItemDelegateForColumn(
        kDistributionColumn, new ChoiceDelegate(kDistributionTexts, ui_->TableExport));
    ui_->TableExport->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(ui_->TableExport, &QTableWidget::itemChanged, this, &FormPartProgram::exportEdited);
    connect(ui_->cmdDfqBrowse, &QPushButton::clicked, this, &FormPartProgram::browseDfqFolder);
    for (const ProgramBox which : kProgramBoxes) {
        connect(box(which), &QLineEdit::textEdited, this,
                [this, which](const QString &text) { tool_.editBox(which, text); });
    }
    connect(ui_->cboStart, &QComboBox::activated, this,
            [this](int index) { tool_.setAutoStart(index == 1); });
    connect(ui_->chkAskId, &QCheckBox::toggled, this, [this](bool on) { tool_.setAskId(on); });
    connect(ui_->CommandOK, &QPushButton::clicked, this, &FormPartProgram::CommandOK_Click);
    connect(ui_->CommandCancel, &QPushButton::clicked, this, &FormPartProgram::reject);
    addRefusalLabels();
    tool_.setView(this);
}

namespace {
// A refusal stands in the column right of the boxes, on its box's row.
constexpr int kRefusalColumn = 3;
const QString kRefusalSuffix = QStringLiteral("Refusal");
const QString kTableRefusal = QStringLiteral("TableExportRefusal");
const QString kListRefusal = QStringLiteral("ListCharacteristicsRefusal");
}  // namespace

void FormPartProgram::addRefusalLabels() {
    auto *grid = static_cast<QGridLayout *>(layout());
    const auto add = [this, grid](QWidget *beside, const QString &name) {
        int row = 0;
        int column = 0;
        int rows = 0;
        int columns = 0;
        grid->getItemPosition(grid->indexOf(beside), &row, &column, &rows, &columns);
        auto *label = new QLabel(this);
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->hide();
        grid->addWidget(label, row, kRefusalColumn);
    };
    for (const ProgramBox which : kProgramBoxes) {
        const QString name = QString::fromLatin1(programBoxInfo(which).name);
        // Each box stands on its label's row; the label is its buddy, named as the box.
        auto *label = findChild<QLabel *>(QStringLiteral("lbl") + name.mid(3));
        add(label, name + kRefusalSuffix);
        if (const int most = programBoxInfo(which).maxLength; most > 0) {
            box(which)->setMaxLength(most);
        }
    }
    add(ui_->TableExport, kTableRefusal);
    add(ui_->lblCharacteristics, kListRefusal);
}

FormPartProgram::~FormPartProgram() {
    tool_.setView(nullptr);
    tool_.closed();
}

QLineEdit *FormPartProgram::box(ProgramBox which) const {
    return findChild<QLineEdit *>(QString::fromLatin1(programBoxInfo(which).name));
}

void FormPartProgram::openDialog() {
    tool_.Form_Load();
    ui_->txtNumber->setFocus();
}

void FormPartProgram::CommandOK_Click() {
    // accept() closes without the close question: what was saved needs none.
    if (tool_.CommandOK_Click()) {
        accept();
    }
}

void FormPartProgram::refresh() {
    for (const ProgramBox which : kProgramBoxes) {
        QLineEdit *edit = box(which);
        if (edit->text() != tool_.text(which)) {
            edit->setText(tool_.text(which));
        }
    }
    ui_->cboStart->setCurrentIndex(tool_.autoStart() ? 1 : 0);
    ui_->chkAskId->setChecked(tool_.askId());
    for (QWidget *present :
         {static_cast<QWidget *>(ui_->lblPresentChannel),
          static_cast<QWidget *>(ui_->txtPresentChannel),
          static_cast<QWidget *>(ui_->lblPresentChannelHint),
          static_cast<QWidget *>(ui_->lblPresentLow), static_cast<QWidget *>(ui_->txtPresentLow),
          static_cast<QWidget *>(ui_->lblPresentHigh), static_cast<QWidget *>(ui_->txtPresentHigh),
          static_cast<QWidget *>(ui_->lblPresentTime), static_cast<QWidget *>(ui_->txtPresentTime),
          static_cast<QWidget *>(ui_->lblPresentTimeUnit)}) {
        present->setEnabled(tool_.presentEnabled());
    }
    characteristics_->reload();
    if (rules_->channel() == 0 || rules_->channel() > ui_->TableExport->rowCount()) {
        rules_->setChannel(ui_->TableExport->rowCount() > 0 ? 1 : 0);
    }
    rules_->reload();
    ui_->lblSettleBandHint->setText(tool_.settleBandHint());
    ui_->lblPresentChannelHint->setText(tool_.presentChannelHint());
    fillExportTable();
}

void FormPartProgram::fillExportTable() {
    const std::vector<ExportRow> rows = tool_.exportRows();
    QTableWidget &table = *ui_->TableExport;
    filling_ = true;
    table.setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table.rowCount(); ++r) {
        const ExportRow &row = rows[static_cast<std::size_t>(r)];
        const std::array<QString, kColumnCount> texts = {
            QString::number(row.channel),
            row.description,
            row.nominal,
            textOf(kSidesTexts, row.sides),
            row.rules,
            textOf(kDistributionTexts, row.distribution)};
        for (int column = 0; column < kColumnCount; ++column) {
            QTableWidgetItem *item = table.item(r, column);
            if (item == nullptr) {
                item = new QTableWidgetItem();
                if (column == kChannelColumn || column == kDescriptionColumn ||
                    column == kRulesColumn) {
                    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
                }
                table.setItem(r, column, item);
            }
            if (item->text() != texts[static_cast<std::size_t>(column)]) {
                item->setText(texts[static_cast<std::size_t>(column)]);
            }
        }
    }
    filling_ = false;
}

void FormPartProgram::exportEdited(QTableWidgetItem *item) {
    if (filling_) {
        return;
    }
    const int channel = item->row() + 1;
    if (item->column() == kNominalColumn) {
        tool_.editNominal(channel, item->text());
    } else if (item->column() == kSidesColumn) {
        tool_.setSides(channel, valueOf<ToleranceSides>(kSidesTexts, item->text()));
    } else if (item->column() == kDistributionColumn) {
        tool_.setDistribution(channel, valueOf<Distribution>(kDistributionTexts, item->text()));
    }
}

void FormPartProgram::browseDfqFolder() {
    const QString chosen = chooser_.chooseFolder(ui_->txtDfqFolder->text().trimmed());
    if (!chosen.isEmpty()) {
        ui_->txtDfqFolder->setText(chosen);
        tool_.editBox(ProgramBox::DfqFolder, chosen);
    }
    ui_->txtDfqFolder->setFocus();
}

void FormPartProgram::showRefusals(const std::vector<ProgramRefusal> &refusals) {
    std::map<QString, QStringList> texts;
    for (const ProgramRefusal &r : refusals) {
        texts[r.place == ProgramRefusal::Place::Box
                  ? QString::fromLatin1(programBoxInfo(r.box).name) + kRefusalSuffix
              : r.place == ProgramRefusal::Place::Characteristics ? kListRefusal
                                                                  : kTableRefusal]
            << r.message;
    }
    for (QLabel *label : findChildren<QLabel *>()) {
        if (!label->objectName().endsWith(kRefusalSuffix)) {
            continue;
        }
        const auto text = texts.find(label->objectName());
        label->setText(text != texts.end() ? text->second.join(QLatin1Char('\n')) : QString());
        label->setVisible(text != texts.end());
    }
    if (refusals.empty()) {
        return;
    }
    const ProgramRefusal &first = refusals.front();
    if (first.place == ProgramRefusal::Place::Box) {
        QLineEdit *edit = box(first.box);
        edit->setFocus();
        edit->selectAll();
        return;
    }
    if (first.place == ProgramRefusal::Place::Characteristics) {
        ui_->ListCharacteristics->setFocus();
        return;
    }
    ui_->TableExport->setCurrentCell(first.channel - 1, kNominalColumn);
    ui_->TableExport->setFocus();
}

bool FormPartProgram::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ui_->ListCharacteristics && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        characteristics_->toggle(ui_->ListCharacteristics->currentIndex().row());
        return true;
    }
    return HostedDialog::eventFilter(watched, event);
}

void showPartProgramDialog(const WindowContext &context, QWidget *parent) {
    auto *form = parent != nullptr
                     ? parent->findChild<FormPartProgram *>(QStringLiteral("FormPartProgram"),
                                                            Qt::FindDirectChildrenOnly)
                     : nullptr;
    if (form == nullptr) {
        form = new FormPartProgram(context.partProgramTool, context.chooser, parent);
        form->setAttribute(Qt::WA_DeleteOnClose, parent == nullptr);
        QObject::connect(form, &HostedDialog::helpRequested, form,
                         [&help = context.help] { help.showHelpTopic(kPartProgramHelpTopic); });
    }
    if (!form->isVisible()) {
        form->openDialog();
    }
    form->show();
    form->raise();
    form->activateWindow();
}

}  // namespace zelapp
