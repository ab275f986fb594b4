#include "history/view/dlg_part_details.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zelapp {

DlgPartDetails::DlgPartDetails(const PartDetails &details, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgPartDetails"));
    setWindowTitle(QStringLiteral("Part Details"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    for (const auto &[label, text] : details.fields) {
        auto *value = new QLabel(text, this);
        QString name = QStringLiteral("Label");
        for (const QString &word : label.split(u' ')) {
            name += word.left(1).toUpper() + word.mid(1);
        }
        value->setObjectName(name);  // "Setup file" → LabelSetupFile
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        value->setAccessibleName(label);
        form->addRow(label + u':', value);
    }
    layout->addLayout(form);

    auto *table = new QTableWidget(static_cast<int>(details.rows.size()),
                                   static_cast<int>(details.headers.size()), this);
    table->setObjectName(QStringLiteral("TableCharacteristics"));
    table->setAccessibleName(QStringLiteral("Characteristics"));
    table->setHorizontalHeaderLabels(details.headers);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    for (int row = 0; row < table->rowCount(); ++row) {
        const QStringList &cells = details.rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < cells.size() && column < table->columnCount(); ++column) {
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
    table->resizeColumnsToContents();
    layout->addWidget(table);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("ButtonsDetails"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(900, 480);
}

}  // namespace zelapp
