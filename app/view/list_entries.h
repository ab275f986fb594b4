// Lists filled from a tool's entries: texts with their item data, and the selected row, put in
// without raising the list's signals, so that a tool's own refresh is not taken for the
// operator's choice.
#pragma once

#include <QList>
#include <QStringList>

class QListWidget;

namespace zelapp {

// An unchanged list is left alone, so it keeps its scroll position and the entry the keyboard
// is on. The item data go into Qt::UserRole.
void showEntries(QListWidget &list, const QStringList &texts, const QList<int> &data);
// Selects a row; -1 none.
void showCurrentRow(QListWidget &list, int row);

}  // namespace zelapp
