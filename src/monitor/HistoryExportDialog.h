// The export of the meter history, as the operator asks for it (from the History window or the
// menu): which span (the one the window shows, the last minutes, the whole hour kept), at which
// resolution (1 s, 100 ms, every answer) with the file's estimated size, under which name in the
// data folder's "History" folder; then the progress, and what came of it. The dialog is not
// modal: metering and the other windows go on while the file is written.
#pragma once

#include "HistoryExport.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <utility>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace k7 {

class Monitor;
class Prompter;

class HistoryExportDialog final : public QDialog {
    Q_OBJECT
public:
    using Span = std::pair<std::int64_t, std::int64_t>; // from, to: microseconds of the clock

    HistoryExportDialog(Monitor& monitor, Prompter& prompter, QWidget* parent = nullptr);
    ~HistoryExportDialog() override;

    // Shows the dialog with a fresh name; shown: the History window's span, offered first.
    void Open(std::optional<Span> shown);
    // The span the chosen entry stands for at this moment, and the resolution chosen.
    Span chosenSpan() const;
    ExportResolution chosenResolution() const;

    QComboBox* spanChooser() const { return spans_; }
    QComboBox* resolutionChooser() const { return resolutions_; }
    QLabel* estimate() const { return estimate_; }
    QLineEdit* nameEdit() const { return name_; }
    QPushButton* exportButton() const { return export_; }
    QPushButton* closeButton() const { return close_; }
    QLabel* message() const { return message_; }
    QProgressBar* progressBar() const { return progress_; }

private:
    void exportNow();
    void progressed(const ExportProgress& progress);
    void say(const QString& text, bool error);
    void closeOrCancel();
    void estimateSize();

    Monitor& monitor_;
    Prompter& prompter_;
    std::optional<Span> shown_;
    QComboBox* spans_;
    QComboBox* resolutions_;
    QLabel* estimate_;
    QLineEdit* name_;
    QLabel* folder_;
    QLabel* message_;
    QProgressBar* progress_;
    QPushButton* export_;
    QPushButton* close_;
};

} // namespace k7
