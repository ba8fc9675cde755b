#include "CoordinateDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace k7 {

namespace {

constexpr int kProgressSteps = 1000;

QSpinBox* WindowBox(int value, const QString& name, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, CoordinationSetup::kMaxWindowKHz);
    box->setSuffix(QStringLiteral(" kHz"));
    box->setSpecialValueText(QStringLiteral("off"));
    box->setValue(value);
    return box;
}

} // namespace

CoordinateDialog::CoordinateDialog(const QStringList& rows, const CoordinationSetup& setup,
                                   Prepare prepare, QWidget* parent)
    : QDialog(parent), prepare_(std::move(prepare)), used_(setup) {
    setObjectName(QStringLiteral("dlgCoordinate"));
    setWindowTitle(QStringLiteral("Coordinate"));
    setModal(true);

    auto* rules = new QGroupBox(QStringLiteral("Rules (a carrier closer than the window "
                                               "conflicts; 0 switches a rule off)"),
                                this);
    auto* form = new QFormLayout(rules);
    const CoordinationRules& r = setup.rules;
    windows_ = {WindowBox(r.spacing, QStringLiteral("spacing"), rules),
                WindowBox(r.thirdOrder2Tx, QStringLiteral("im3"), rules),
                WindowBox(r.thirdOrder3Tx, QStringLiteral("im3x3"), rules),
                WindowBox(r.fifthOrder2Tx, QStringLiteral("im5"), rules)};
    form->addRow(QStringLiteral("Spacing between carriers"), windows_[0]);
    form->addRow(QStringLiteral("3rd order, 2 transmitters (2a - b)"), windows_[1]);
    form->addRow(QStringLiteral("3rd order, 3 transmitters (a + b - c)"), windows_[2]);
    form->addRow(QStringLiteral("5th order, 2 transmitters (3a - 2b)"), windows_[3]);

    exclusions_ = new QPlainTextEdit(ExclusionsText(setup.excluded), this);
    exclusions_->setObjectName(QStringLiteral("excluded"));
    exclusions_->setPlaceholderText(QStringLiteral("606.000-607.500 (MHz), one range a line"));
    exclusions_->setTabChangesFocus(true);
    fixed_ = new QPlainTextEdit(FixedText(setup.fixed), this);
    fixed_->setObjectName(QStringLiteral("fixed"));
    fixed_->setPlaceholderText(QStringLiteral("612.400 IEM 1 (MHz and a name), one a line"));
    fixed_->setToolTip(QStringLiteral("Other transmitters: their products count against the set "
                                      "and the set keeps its spacing from them; they never "
                                      "change."));
    fixed_->setTabChangesFocus(true);

    rows_ = new QListWidget(this);
    rows_->setObjectName(QStringLiteral("locked"));
    for (int i = 0; i < rows.size(); ++i) {
        auto* item = new QListWidgetItem(rows[i], rows_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(setup.locked.contains(i) ? Qt::Checked : Qt::Unchecked);
    }

    budget_ = new QSpinBox(this);
    budget_->setObjectName(QStringLiteral("budget"));
    budget_->setRange(CoordinationSetup::kMinBudgetSeconds, CoordinationSetup::kMaxBudgetSeconds);
    budget_->setSuffix(QStringLiteral(" s"));
    budget_->setValue(setup.budgetSeconds);
    backups_ = new QSpinBox(this);
    backups_->setObjectName(QStringLiteral("backups"));
    backups_->setRange(0, CoordinationSetup::kMaxBackups);
    backups_->setSpecialValueText(QStringLiteral("none"));
    backups_->setToolTip(QStringLiteral("Spare frequencies, each clean against the whole set and "
                                        "the fixed transmitters, for a carrier hit during the "
                                        "show."));
    backups_->setValue(setup.backups);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, kProgressSteps);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("message"));
    message_->setWordWrap(true);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("buttons"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &CoordinateDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &CoordinateDialog::reject);

    auto* other = new QFormLayout;
    other->addRow(QStringLiteral("Excluded ranges"), exclusions_);
    other->addRow(QStringLiteral("Fixed transmitters"), fixed_);
    other->addRow(QStringLiteral("Locked rows (kept as they are)"), rows_);
    other->addRow(QStringLiteral("Backups:"), backups_);
    other->addRow(QStringLiteral("Search for at most"), budget_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rules);
    layout->addLayout(other);
    layout->addWidget(progress_);
    layout->addWidget(message_);
    layout->addWidget(buttons_);
}

CoordinateDialog::~CoordinateDialog() = default;

std::optional<CoordinationSetup> CoordinateDialog::setup() {
    CoordinationSetup setup;
    setup.rules = {windows_[0]->value(), windows_[1]->value(), windows_[2]->value(),
                   windows_[3]->value()};
    const ExclusionsRead read = ParseExclusions(exclusions_->toPlainText());
    if (read.errorLine != 0) {
        message_->setText(QStringLiteral("Line %1 of the excluded ranges is not a range like "
                                         "606.000-607.500. Correct it and press OK again.")
                              .arg(read.errorLine));
        return std::nullopt;
    }
    setup.excluded = read.ranges;
    const FixedRead fixed = ParseFixed(fixed_->toPlainText());
    if (fixed.errorLine != 0) {
        message_->setText(QStringLiteral("Line %1 of the fixed transmitters is not a frequency "
                                         "like 612.400, with a name after it if you like "
                                         "(612.400 IEM 1). Correct it and press OK again.")
                              .arg(fixed.errorLine));
        return std::nullopt;
    }
    setup.fixed = fixed.carriers;
    setup.backups = backups_->value();
    setup.budgetSeconds = budget_->value();
    for (int i = 0; i < rows_->count(); ++i) {
        if (rows_->item(i)->checkState() == Qt::Checked) {
            setup.locked.insert(i);
        }
    }
    return setup;
}

void CoordinateDialog::accept() {
    if (!searching_) {
        start();
    }
}

void CoordinateDialog::reject() {
    if (searching_) {
        // The search ends at its next report with what it has; nothing of it is used.
        cancelled_ = true;
        job_.Cancel();
    }
    QDialog::reject();
}

void CoordinateDialog::start() {
    const std::optional<CoordinationSetup> chosen = setup();
    if (!chosen) {
        return;
    }
    std::optional<CoordinationRun> run = prepare_(*chosen);
    if (!run) {
        QDialog::reject();
        return;
    }
    used_ = *chosen;
    target_ = static_cast<int>(run->rows.size());
    searching_ = true;
    for (QWidget* control :
         std::initializer_list<QWidget*>{windows_[0], windows_[1], windows_[2], windows_[3],
                                         budget_, backups_, exclusions_, fixed_, rows_}) {
        control->setEnabled(false);
    }
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(false);
    message_->setText(QStringLiteral("Searching for %1 clean carriers...").arg(target_));
    job_.Start(
        std::move(run->rows), std::move(run->options), this,
        [this](const GeneratorProgress& p) { showProgress(p); },
        [this](GeneratorResult result) { finished(std::move(result)); });
}

void CoordinateDialog::showProgress(const GeneratorProgress& progress) {
    const double budget = used_.budgetSeconds * 1e6;
    progress_->setValue(static_cast<int>(
        std::min<double>(kProgressSteps, progress.elapsedMicros * kProgressSteps / budget)));
    message_->setText(QStringLiteral("Searching: the best set so far holds %1 of %2 carriers")
                          .arg(std::max(progress.best, 0))
                          .arg(target_));
}

void CoordinateDialog::finished(GeneratorResult result) {
    searching_ = false;
    result_ = std::move(result);
    if (cancelled_ || result_.cancelled) {
        cancelled_ = true;
        QDialog::reject();
        return;
    }
    progress_->setValue(kProgressSteps);
    QDialog::accept();
}

void RunCoordination(CoordinationTarget& target, const CoordinationSetup& setup, QWidget* parent) {
    if (!target.HasBands()) {
        target.Prepare(setup); // says why there is nothing to coordinate
        return;
    }
    CoordinateDialog dialog(
        target.RowTexts(), setup,
        [&target](const CoordinationSetup& chosen) { return target.Prepare(chosen); }, parent);
    if (dialog.exec() == QDialog::Accepted) {
        target.Apply(dialog.usedSetup(), dialog.result());
    } else if (dialog.cancelledSearch()) {
        target.Cancelled();
    }
}

} // namespace k7
