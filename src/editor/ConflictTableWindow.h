// The conflict table window: the carriers a check found hit, one line each, sortable by every
// column (a click on its header), each line's conflicts on its tool tip, and an export as CSV.
// Modeless; it shows the check it was last given. Opened from the editor's status line and from
// the rack check's message.
#pragma once

#include "ConflictTable.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace k7 {

class ConflictTableWindow final : public QWidget {
    Q_OBJECT
public:
    // Writes the table to a file the operator chooses: the file written, or nothing.
    using Export = std::function<std::optional<QString>(const ConflictTable&)>;

    explicit ConflictTableWindow(Export exporter, QWidget* parent = nullptr);

    // Shows the table (the window's title names what was checked) and brings the window up.
    void ShowTable(ConflictTable table, const QString& checked);
    const ConflictTableModel& model() const { return *model_; }

private:
    void exportTable();

    Export export_;
    ConflictTableModel* model_ = nullptr;
    QSortFilterProxyModel* sorted_ = nullptr;
    QTableView* view_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* exported_ = nullptr;
    QPushButton* exportButton_ = nullptr;
};

} // namespace k7
