#include "view/list_entries.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace zelapp {

void showEntries(QListWidget &list, const QStringList &texts, const QList<int> &data) {
    bool same = list.count() == texts.size();
    for (int i = 0; same && i < list.count(); ++i) {
        same = list.item(i)->text() == texts[i] &&
               list.item(i)->data(Qt::UserRole).toInt() == data.value(i);
    }
    if (same) {
        return;
    }
    const QSignalBlocker blocker(list);
    list.clear();
    for (int i = 0; i < texts.size(); ++i) {
        auto *item = new QListWidgetItem(texts[i], &list);
        item->setData(Qt::UserRole, data.value(i));
    }
}

void showCurrentRow(QListWidget &list, int row) {
    if (list.currentRow() != row) {
        const QSignalBlocker blocker(list);
        list.setCurrentRow(row);
    }
}

}  // namespace zelapp
