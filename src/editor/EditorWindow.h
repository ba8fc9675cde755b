// The frequency file editor's window (frmTransferMain): a thin view that shows the
// FrequencyEditor controller's state (the grid, the boxes, the labels, the buttons of the use
// it is in, the status line) and forwards keys, clicks, row selection, the frequency box's
// exit and its close box to it. Modeless; hidden until a command shows it.
#pragma once

#include "EditorCoordination.h"
#include "EditorCsv.h"
#include "FrequencyEditor.h"

#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;

namespace k7 {

class ConflictTableWindow;
class EditorGridModel;

class EditorWindow final : public QWidget, public EditorView {
    Q_OBJECT
public:
    // csv, coordination: the File menu's CSV commands and the Coordination menu's, over the
    // same editor. The controls carry their station names as object names.
    EditorWindow(FrequencyEditor& editor, EditorCsv& csv, EditorCoordination& coordination,
                 QWidget* parent = nullptr);
    ~EditorWindow() override;

    void ShowEditor() override;
    void HideEditor() override;
    void StateChanged() override;
    void RepaintStatus() override;

    // Coordinate...: the dialog over the rows (the selected ones locked), and its set applied.
    void Coordinate();
    // The last check's conflicts in the table window (the status line's "Conflicts...").
    void ShowConflicts();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* controlWidget(EditorControl control) const;
    bool filterKey(QLineEdit* box, QEvent* event);
    void showSelection();
    void applyFocus();

    QPushButton* button(EditorControl control) const;

    FrequencyEditor& editor_;
    EditorGridModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QLineEdit* txtName_ = nullptr;
    QLineEdit* txtFreq_ = nullptr;
    QLineEdit* txtMute_ = nullptr;
    QPushButton* cmdAdd_ = nullptr;
    QPushButton* cmdInsert_ = nullptr;
    QPushButton* cmdUpdate_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdFinish_ = nullptr;
    QPushButton* cmdUpload_ = nullptr;
    QPushButton* cmdDownload_ = nullptr;
    QComboBox* cmbRxs_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* lblNo_ = nullptr;
    QLabel* lblRow_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPushButton* cmdConflicts_ = nullptr;
    ConflictTableWindow* conflicts_ = nullptr;
    QMenu* mnuFile_ = nullptr;
    QAction* mnuSave_ = nullptr;
    QAction* mnuExportCsv_ = nullptr;
    QAction* mnuImportCsv_ = nullptr;
    QMenu* mnuCoordination_ = nullptr;
    QAction* mnuCheck_ = nullptr;
    QAction* mnuCoordinate_ = nullptr;
    EditorCsv& csv_;
    EditorCoordination& coordination_;
    int rowsVersionShown_ = -1;
    int focusRequestsSeen_ = 0;
    bool applying_ = false;    // the window is showing the controller's state
    bool deactivated_ = false; // left for another window (not for one of its own boxes)
};

} // namespace k7
