#include "HistoryExportDialog.h"

#include "Monitor.h"
#include "platform/Prompter.h"
#include "platform/WindowOrder.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace k7 {
namespace {

constexpr int kShownSpan = -1;
constexpr std::int64_t kMinuteMicros = 60'000'000;

QString ClockText(const QDateTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

HistoryExportDialog::HistoryExportDialog(Monitor& monitor, Prompter& prompter, QWidget* parent)
    : QDialog(parent), monitor_(monitor), prompter_(prompter), spans_(new QComboBox(this)),
      resolutions_(new QComboBox(this)), estimate_(new QLabel(this)), name_(new QLineEdit(this)),
      folder_(new QLabel(this)), message_(new QLabel(this)), progress_(new QProgressBar(this)),
      export_(new QPushButton(QStringLiteral("Export"), this)),
      close_(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("frmHistoryExport"));
    setWindowTitle(QStringLiteral("Export meter history"));
    spans_->setObjectName(QStringLiteral("cmbExportSpan"));
    resolutions_->setObjectName(QStringLiteral("cmbExportResolution"));
    estimate_->setObjectName(QStringLiteral("lblExportEstimate"));
    resolutions_->addItem(QStringLiteral("1 s: the lowest RF and highest audio of each second"),
                          static_cast<int>(ExportResolution::Second));
    resolutions_->addItem(QStringLiteral("100 ms: the same for each tenth of a second"),
                          static_cast<int>(ExportResolution::Tenth));
    resolutions_->addItem(QStringLiteral("Every answer (a large file)"),
                          static_cast<int>(ExportResolution::EveryAnswer));
    name_->setObjectName(QStringLiteral("txtExportName"));
    export_->setObjectName(QStringLiteral("cmdExport"));
    close_->setObjectName(QStringLiteral("cmdClose"));
    export_->setDefault(true);
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder_->setText(QDir::toNativeSeparators(monitor_.historyExport().folder()));
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progress_->setVisible(false);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Span:"), spans_);
    form->addRow(QStringLiteral("Resolution:"), resolutions_);
    form->addRow(QStringLiteral("Size:"), estimate_);
    form->addRow(QStringLiteral("File name:"), name_);
    form->addRow(QStringLiteral("Folder:"), folder_);
    auto* explanation = new QLabel(
        QStringLiteral("One row per interval (or per answer): the time, then RF A, RF B and "
                       "audio of every receiver as raw values (0 to 255), in an interval the "
                       "lowest RF of each antenna and the highest audio; a receiver that did not "
                       "answer leaves its fields empty."),
        this);
    explanation->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(export_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(explanation);
    layout->addWidget(progress_);
    layout->addWidget(message_);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(520);

    connect(export_, &QPushButton::clicked, this, [this] { exportNow(); });
    connect(close_, &QPushButton::clicked, this, [this] { closeOrCancel(); });
    connect(spans_, &QComboBox::currentIndexChanged, this, [this] { estimateSize(); });
    connect(resolutions_, &QComboBox::currentIndexChanged, this, [this] { estimateSize(); });
    monitor_.historyExport().SetListener(
        [this](const ExportProgress& progress) { progressed(progress); });
}

HistoryExportDialog::~HistoryExportDialog() {
    monitor_.historyExport().Cancel();
    monitor_.historyExport().SetListener({});
}

void HistoryExportDialog::Open(std::optional<Span> shown) {
    if (!monitor_.historyExport().running()) {
        shown_ = shown;
        spans_->clear();
        if (shown_) {
            const QDateTime origin = monitor_.WallOrigin();
            spans_->addItem(QStringLiteral("Shown in the History window (%1 to %2)")
                                .arg(ClockText(origin.addMSecs(shown_->first / 1000)),
                                     ClockText(origin.addMSecs(shown_->second / 1000))),
                            kShownSpan);
        }
        spans_->addItem(QStringLiteral("The last minute"), 1);
        spans_->addItem(QStringLiteral("The last 5 minutes"), 5);
        spans_->addItem(QStringLiteral("The last 15 minutes"), 15);
        spans_->addItem(QStringLiteral("The last 30 minutes"), 30);
        spans_->addItem(QStringLiteral("The whole hour kept"), 60);
        spans_->setCurrentIndex(shown_ ? 0 : 2);
        resolutions_->setCurrentIndex(0);
        estimateSize();
        name_->setText(HistoryExport::DefaultName(
            monitor_.WallOrigin().addMSecs(monitor_.NowMicros() / 1000)));
        message_->clear();
        progress_->setVisible(false);
        export_->setEnabled(true);
        close_->setText(QStringLiteral("Close"));
    }
    show();
    RaiseWindow(*this);
    activateWindow();
}

HistoryExportDialog::Span HistoryExportDialog::chosenSpan() const {
    const int code = spans_->currentData().toInt();
    if (code == kShownSpan && shown_) {
        return *shown_;
    }
    const std::int64_t now = monitor_.NowMicros();
    return {now - code * kMinuteMicros, now};
}

ExportResolution HistoryExportDialog::chosenResolution() const {
    return static_cast<ExportResolution>(resolutions_->currentData().toInt());
}

void HistoryExportDialog::estimateSize() {
    if (spans_->count() == 0) {
        return;
    }
    const Span span = chosenSpan();
    const std::int64_t bytes =
        monitor_.historyExport().EstimateBytes(span.first, span.second, chosenResolution());
    estimate_->setText(
        bytes == 0 ? QStringLiteral("nothing recorded in this span")
                   : QStringLiteral("about %1")
                         .arg(locale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat)));
}

void HistoryExportDialog::exportNow() {
    HistoryExport& exporter = monitor_.historyExport();
    const ExportName name = exporter.CheckName(name_->text());
    if (!name.ok()) {
        say(name.error, true);
        return;
    }
    if (name.exists) {
        MessageBoxSpec box;
        box.text =
            QStringLiteral("%1 already exists in %2.\r\nReplace it?")
                .arg(QFileInfo(name.path).fileName(), QDir::toNativeSeparators(exporter.folder()));
        box.title = windowTitle();
        box.icon = MsgIcon::Question;
        box.buttons = MsgButtons::YesNo;
        box.defaultButton = 1;
        if (prompter_.ShowMessage(box) != MsgAnswer::Yes) {
            return;
        }
    }
    const Span span = chosenSpan();
    if (exporter.Start(name.path, span.first, span.second, chosenResolution())) {
        export_->setEnabled(false);
        close_->setText(QStringLiteral("Cancel"));
        progress_->setRange(0, static_cast<int>(exporter.progress().rows));
        progress_->setValue(0);
        progress_->setVisible(true);
        say(QStringLiteral("Writing %1 rows…").arg(exporter.progress().rows), false);
    }
}

void HistoryExportDialog::progressed(const ExportProgress& progress) {
    progress_->setValue(static_cast<int>(progress.written));
    if (progress.state == ExportProgress::Running) {
        return;
    }
    export_->setEnabled(true);
    close_->setText(QStringLiteral("Close"));
    progress_->setVisible(false);
    switch (progress.state) {
    case ExportProgress::Done:
        say(QStringLiteral("Written: %1 (%2 rows).")
                .arg(QDir::toNativeSeparators(progress.path))
                .arg(progress.rows),
            false);
        break;
    case ExportProgress::Nothing:
        say(QStringLiteral("No receiver answered in the chosen span: nothing was written."), true);
        break;
    case ExportProgress::Cancelled:
        say(QStringLiteral("Cancelled: nothing was written."), false);
        break;
    case ExportProgress::Failed:
        say(progress.error, true);
        break;
    default:
        break;
    }
}

void HistoryExportDialog::say(const QString& text, bool error) {
    message_->setStyleSheet(error ? QStringLiteral("color: #d9534f;") : QString());
    message_->setText(text);
}

void HistoryExportDialog::closeOrCancel() {
    if (monitor_.historyExport().running()) {
        monitor_.historyExport().Cancel();
        return;
    }
    hide();
}

} // namespace k7
