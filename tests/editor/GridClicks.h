// A click on a row of the editor's grid, as the operator makes it: on the row's frequency cell.
#pragma once

#include "editor/EditorWindow.h"

#include <QAbstractItemModel>
#include <QTableView>
#include <QTest>

namespace k7::test {

inline void ClickGridRow(EditorWindow& window, int row, Qt::KeyboardModifiers keys = {}) {
    QTableView* grid = window.flxUser();
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, keys, cell.center());
}

} // namespace k7::test
