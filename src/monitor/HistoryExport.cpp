#include "HistoryExport.h"

#include "EventLog.h"
#include "files/WholeFile.h"
#include "platform/ActionLog.h"
#include "platform/Timer.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace k7 {
namespace {

const QString kFolderName = QStringLiteral("History");
const QString kSuffix = QStringLiteral(".csv");
// Characters no file name of the folder may hold: separators, a drive, and what Windows refuses.
const QString kRefused = QStringLiteral("/\\:*?\"<>|");
constexpr int kMaxNameLength = 200;

// The text of every raw value, made once.
const std::array<QByteArray, 256>& Numbers() {
    static const std::array<QByteArray, 256> numbers = [] {
        std::array<QByteArray, 256> texts;
        for (int i = 0; i < 256; ++i) {
            texts[static_cast<std::size_t>(i)] = QByteArray::number(i);
        }
        return texts;
    }();
    return numbers;
}

QString ClockText(const QDateTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

// The characters of a row: the time ("2024-05-03 20:31:40.006"), the line end, and per
// receiver three commas, with its three numbers where it answered.
constexpr std::int64_t kTimeBytes = 23 + 2;
constexpr std::int64_t kSeparatorBytes = 3;

} // namespace

std::int64_t ResolutionMicros(ExportResolution resolution) {
    switch (resolution) {
    case ExportResolution::Second:
        return 1'000'000;
    case ExportResolution::Tenth:
        return 100'000;
    case ExportResolution::EveryAnswer:
        break;
    }
    return 0;
}

QString ResolutionText(ExportResolution resolution) {
    switch (resolution) {
    case ExportResolution::Second:
        return QStringLiteral("1 s");
    case ExportResolution::Tenth:
        return QStringLiteral("100 ms");
    case ExportResolution::EveryAnswer:
        break;
    }
    return QStringLiteral("every answer");
}

HistoryExport::HistoryExport(Wiring wiring) : wiring_(std::move(wiring)) {}

HistoryExport::~HistoryExport() {
    if (file_) {
        file_->cancelWriting();
    }
}

QString HistoryExport::folder() const {
    return wiring_.dataFolder + QLatin1Char('/') + kFolderName;
}

QString HistoryExport::DefaultName(const QDateTime& time) {
    return QStringLiteral("History ") + time.toString(QStringLiteral("yyyy-MM-dd HH-mm")) + kSuffix;
}

ExportName HistoryExport::CheckName(const QString& typed) const {
    ExportName result;
    QString name = typed.trimmed();
    if (name.isEmpty()) {
        result.error = QStringLiteral("Type a name for the file.");
        return result;
    }
    for (QChar c : name) {
        if (kRefused.contains(c) || c.category() == QChar::Other_Control) {
            result.error = QStringLiteral("A file name only: the history is written to %1, so "
                                          "the name may hold none of %2 nor a control character.")
                               .arg(QDir::toNativeSeparators(folder()), kRefused);
            return result;
        }
    }
    if (name.startsWith(QLatin1Char('.'))) {
        result.error = QStringLiteral("A name may not start with a dot.");
        return result;
    }
    if (!name.endsWith(kSuffix, Qt::CaseInsensitive)) {
        name += kSuffix;
    }
    if (name.size() > kMaxNameLength) {
        result.error = QStringLiteral("The name is too long: at most %1 characters.")
                           .arg(kMaxNameLength - kSuffix.size());
        return result;
    }
    // The folder must be the data folder's own, not a link to elsewhere.
    const QFileInfo data(wiring_.dataFolder);
    const QFileInfo dir(folder());
    if (dir.exists() &&
        (dir.isSymLink() || !dir.isDir() ||
         dir.canonicalFilePath() != data.canonicalFilePath() + QLatin1Char('/') + kFolderName)) {
        result.error = QStringLiteral("%1 is not a folder of the data folder; remove it or "
                                      "make it a plain folder, then export again.")
                           .arg(QDir::toNativeSeparators(folder()));
        return result;
    }
    const QString path = folder() + QLatin1Char('/') + name;
    const QFileInfo file(path);
    if (file.isSymLink() || (file.exists() && !file.isFile())) {
        result.error =
            QStringLiteral("%1 is a link or a folder, not a file: choose another name.").arg(name);
        return result;
    }
    result.path = path;
    result.exists = file.exists();
    return result;
}

QByteArray HistoryExport::Header() const {
    QString header = QStringLiteral("time");
    const int receivers = std::clamp(wiring_.receivers(), 0, kMaxSlots);
    for (int slot = 1; slot <= receivers; ++slot) {
        const QString who = QStringLiteral("%1 %2 ").arg(slot).arg(wiring_.name(slot));
        for (const char* what : {"RF A", "RF B", "audio"}) {
            header += QLatin1Char(',') + CsvField(who + QLatin1String(what));
        }
    }
    return header.toUtf8() + "\r\n";
}

std::int64_t HistoryExport::EstimateBytes(std::int64_t fromMicros, std::int64_t toMicros,
                                          ExportResolution resolution) const {
    const std::int64_t from = std::min(fromMicros, toMicros);
    const std::int64_t to = std::max(fromMicros, toMicros);
    const int receivers = std::clamp(wiring_.receivers(), 0, kMaxSlots);
    const MeterHistory& history = wiring_.history;
    // The answers of the span, when they start and end, and the digits of their numbers (read
    // from a few of them spread over the span).
    std::int64_t answers = 0, digits = 0, sampled = 0;
    std::int64_t first = to, last = from;
    for (int slot = 1; slot <= receivers; ++slot) {
        const std::size_t begin = history.LowerBound(slot, from);
        const std::size_t end = history.LowerBound(slot, to + 1);
        if (begin >= end) {
            continue;
        }
        answers += static_cast<std::int64_t>(end - begin);
        first = std::min(first, history.at(slot, begin).micros);
        last = std::max(last, history.at(slot, end - 1).micros);
        const std::size_t stride = std::max<std::size_t>((end - begin) / 16, 1);
        for (std::size_t i = begin; i < end; i += stride) {
            const HistorySample sample = history.at(slot, i);
            digits += Numbers()[sample.rfA].size() + Numbers()[sample.rfB].size() +
                      Numbers()[sample.audio].size();
            ++sampled;
        }
    }
    if (answers == 0) {
        return 0;
    }
    const double perAnswer = static_cast<double>(digits) / static_cast<double>(sampled);
    const std::int64_t step = ResolutionMicros(resolution);
    const std::int64_t perRow = kTimeBytes + kSeparatorBytes * receivers;
    std::int64_t rows = answers; // answers of different receivers rarely share a time
    double filled = static_cast<double>(answers);
    if (step > 0) {
        // Every interval from the first answer to the last holds a row; a receiver fills its
        // fields in the intervals it answered in, at most once each.
        rows = std::min(answers, (last - first) / step + 1);
        filled = 0;
        for (int slot = 1; slot <= receivers; ++slot) {
            filled += static_cast<double>(std::min<std::int64_t>(
                rows, static_cast<std::int64_t>(history.LowerBound(slot, to + 1) -
                                                history.LowerBound(slot, from))));
        }
    }
    return Header().size() + rows * perRow + static_cast<std::int64_t>(filled * perAnswer);
}

bool HistoryExport::Start(const QString& path, std::int64_t fromMicros, std::int64_t toMicros,
                          ExportResolution resolution) {
    if (running()) {
        return false;
    }
    progress_ = ExportProgress{ExportProgress::Running, path, 0, 0, {}};
    receivers_ = std::clamp(wiring_.receivers(), 0, kMaxSlots);
    fromMicros_ = std::min(fromMicros, toMicros);
    toMicros_ = std::max(fromMicros, toMicros);
    resolution_ = resolution;
    step_ = ResolutionMicros(resolution);
    originMs_ = wiring_.wallOrigin().toMSecsSinceEpoch();
    // The span's answers are copied first: the rings go on turning while the file is written.
    std::vector<std::vector<HistorySample>> bySlot;
    std::size_t total = 0;
    for (int slot = 1; slot <= receivers_; ++slot) {
        bySlot.push_back(wiring_.history.Samples(slot, fromMicros_, toMicros_));
        total += bySlot.back().size();
    }
    entries_.clear();
    entries_.reserve(total);
    std::vector<std::size_t> next(bySlot.size(), 0);
    for (std::size_t n = 0; n < total; ++n) {
        std::size_t best = bySlot.size();
        for (std::size_t s = 0; s < bySlot.size(); ++s) {
            if (next[s] < bySlot[s].size() &&
                (best == bySlot.size() ||
                 bySlot[s][next[s]].micros < bySlot[best][next[best]].micros)) {
                best = s;
            }
        }
        const HistorySample& sample = bySlot[best][next[best]++];
        entries_.push_back(
            Entry{sample.micros, static_cast<int>(best) + 1, sample.rfA, sample.rfB, sample.audio});
    }
    next_ = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        progress_.rows +=
            i == 0 || rowOf(entries_[i].micros) != rowOf(entries_[i - 1].micros) ? 1 : 0;
    }
    if (entries_.empty()) {
        end(ExportProgress::Nothing);
        return false;
    }
    if (!QDir().mkpath(folder())) {
        end(ExportProgress::Failed,
            QStringLiteral("The folder %1 cannot be made. Check that the data folder is "
                           "writable, then export again.")
                .arg(QDir::toNativeSeparators(folder())));
        return false;
    }
    file_ = std::make_unique<QSaveFile>(path);
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        end(ExportProgress::Failed,
            QStringLiteral("%1 cannot be written: %2. Check that the folder is writable, then "
                           "export again.")
                .arg(QDir::toNativeSeparators(path), file_->errorString()));
        return false;
    }
    second_ = -1;
    if (!write(Header())) {
        return false;
    }
    if (!timer_) {
        timer_ = wiring_.timers.createTimer();
        timer_->setInterval(kSliceIntervalMs);
        timer_->setHandler([this] { slice(); });
    }
    timer_->setEnabled(true);
    return true;
}

void HistoryExport::appendTime(QByteArray& row, std::int64_t localMicros) {
    const std::int64_t ms = localMicros / 1000;
    const std::int64_t second = ms / 1000;
    if (second != second_) {
        second_ = second;
        secondText_ = QDateTime::fromMSecsSinceEpoch(second * 1000)
                          .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                          .toLatin1();
    }
    const auto milli = static_cast<int>(ms % 1000);
    row += secondText_;
    row += '.';
    row += QByteArray::number(milli).rightJustified(3, '0');
}

void HistoryExport::slice() {
    if (!running()) {
        return;
    }
    const auto& numbers = Numbers();
    QByteArray bytes;
    // A row holds every receiver's three fields: the lowest RF of each antenna and the highest
    // audio of its answers in the row's interval; those that did not answer stay empty.
    struct Cell {
        bool answered;
        std::uint8_t rfA, rfB, audio;
    };
    std::vector<Cell> cells(static_cast<std::size_t>(receivers_) + 1);
    std::size_t rows = 0;
    while (next_ < entries_.size() && rows < kRowsPerSlice) {
        const std::int64_t row = rowOf(entries_[next_].micros);
        std::fill(cells.begin(), cells.end(), Cell{false, 0, 0, 0});
        for (; next_ < entries_.size() && rowOf(entries_[next_].micros) == row; ++next_) {
            const Entry& e = entries_[next_];
            Cell& cell = cells[static_cast<std::size_t>(e.slot)];
            cell = cell.answered ? Cell{true, std::min(cell.rfA, e.rfA), std::min(cell.rfB, e.rfB),
                                        std::max(cell.audio, e.audio)}
                                 : Cell{true, e.rfA, e.rfB, e.audio};
        }
        appendTime(bytes, row);
        for (int slot = 1; slot <= receivers_; ++slot) {
            const Cell& cell = cells[static_cast<std::size_t>(slot)];
            if (cell.answered) {
                bytes += ',';
                bytes += numbers[cell.rfA];
                bytes += ',';
                bytes += numbers[cell.rfB];
                bytes += ',';
                bytes += numbers[cell.audio];
            } else {
                bytes += ",,,";
            }
        }
        bytes += "\r\n";
        ++rows;
    }
    if (!write(bytes)) {
        return;
    }
    progress_.written += rows;
    if (next_ < entries_.size()) {
        if (listener_) {
            listener_(progress_);
        }
        return;
    }
    if (!file_->commit()) {
        const QString reason = file_->errorString();
        file_.reset();
        end(ExportProgress::Failed,
            QStringLiteral("%1 could not be completed: %2. The file was left as it was; check "
                           "that the disk has room, then export again.")
                .arg(QDir::toNativeSeparators(progress_.path), reason));
        return;
    }
    file_.reset();
    const QDateTime origin = QDateTime::fromMSecsSinceEpoch(originMs_);
    wiring_.actions.Action(0, {}, QStringLiteral("history-export"),
                           QStringLiteral("%1: %2 to %3, %4 rows, %5")
                               .arg(QFileInfo(progress_.path).fileName(),
                                    ClockText(origin.addMSecs(fromMicros_ / 1000)),
                                    ClockText(origin.addMSecs(toMicros_ / 1000)))
                               .arg(progress_.rows)
                               .arg(ResolutionText(resolution_)));
    end(ExportProgress::Done);
}

bool HistoryExport::write(const QByteArray& bytes) {
    QString reason;
    if (WriteAll(*file_, bytes, reason)) {
        return true;
    }
    file_->cancelWriting();
    file_.reset();
    end(ExportProgress::Failed,
        QStringLiteral("%1 could not be written: %2. Nothing was changed on disk; check that "
                       "the disk has room, then export again.")
            .arg(QDir::toNativeSeparators(progress_.path), reason));
    return false;
}

void HistoryExport::Cancel() {
    if (!running()) {
        return;
    }
    file_->cancelWriting();
    file_.reset();
    end(ExportProgress::Cancelled);
}

void HistoryExport::Finish() {
    while (running()) {
        slice();
    }
}

void HistoryExport::end(ExportProgress::State state, const QString& error) {
    progress_.state = state;
    progress_.error = error;
    entries_.clear();
    entries_.shrink_to_fit();
    if (timer_) {
        timer_->setEnabled(false);
    }
    if (listener_) {
        listener_(progress_);
    }
}

} // namespace k7
