// The "Coordinate" dialog: the rules and their windows, the exclusion ranges, the fixed
// transmitters, the rows kept as they are, the backups wanted, the time the search may take,
// and, once OK starts the search, a progress bar and Cancel. The search runs on its own thread
// (CoordinationJob), so the window stays responsive; the dialog is accepted with the set the search
// found, or rejected (nothing found is used) when cancelled or refused.
#pragma once

#include "CoordinationJob.h"
#include "CoordinationSetup.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>

class QDialogButtonBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QSpinBox;

namespace k7 {

class CoordinateDialog final : public QDialog {
    Q_OBJECT
public:
    // Gives the search for a setup, or none when it cannot run (the operator has been told
    // why); the dialog is then rejected.
    using Prepare = std::function<std::optional<CoordinationRun>(const CoordinationSetup&)>;

    // rows: one text a row, in order; setup: what the controls start with.
    CoordinateDialog(const QStringList& rows, const CoordinationSetup& setup, Prepare prepare,
                     QWidget* parent = nullptr);
    ~CoordinateDialog() override;

    // The setup the controls hold (none, with the reason shown, while the ranges or the fixed
    // transmitters cannot be read).
    std::optional<CoordinationSetup> setup();
    // The set found; valid once the dialog is accepted.
    const GeneratorResult& result() const { return result_; }
    // The setup the search ran with.
    const CoordinationSetup& usedSetup() const { return used_; }
    // True when a search was started and then cancelled.
    bool cancelledSearch() const { return cancelled_; }

public slots:
    void accept() override;
    void reject() override;

private:
    void start();
    void showProgress(const GeneratorProgress& progress);
    void finished(GeneratorResult result);

    Prepare prepare_;
    std::array<QSpinBox*, 4> windows_{};
    QSpinBox* budget_ = nullptr;
    QSpinBox* backups_ = nullptr;
    QPlainTextEdit* exclusions_ = nullptr;
    QPlainTextEdit* fixed_ = nullptr;
    QListWidget* rows_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* message_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    CoordinationSetup used_;
    int target_ = 0;
    bool searching_ = false;
    bool cancelled_ = false;
    GeneratorResult result_;
    CoordinationJob job_; // last: joined before the controls go
};

// Coordinate as both windows run it: the dialog over the target's rows, modal over parent, and
// the set it found applied (or the cancel told). A target without bands says why at once.
void RunCoordination(CoordinationTarget& target, const CoordinationSetup& setup, QWidget* parent);

} // namespace k7
