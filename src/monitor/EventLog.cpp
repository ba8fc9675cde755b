#include "EventLog.h"

#include "files/WholeFile.h"

#include <QDir>

namespace k7 {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

QByteArray Line(const QDateTime& time, int slot, const QString& name, const QString& event,
                const QString& detail) {
    const QString text = time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
                         QLatin1Char(',') + (slot > 0 ? QString::number(slot) : QString()) +
                         QLatin1Char(',') + CsvField(slot > 0 ? name : QString()) +
                         QLatin1Char(',') + CsvField(event) + QLatin1Char(',') + CsvField(detail) +
                         kCrLf;
    return text.toUtf8();
}

} // namespace

QString CsvField(const QString& text) {
    QString field = text;
    // One event, one line of the file: a line break inside a field becomes a space.
    field.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    field.replace(QLatin1Char('\r'), QLatin1Char(' '));
    field.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front())) {
        field.prepend(QLatin1Char('\''));
    }
    if (field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"'))) {
        field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        field = QLatin1Char('"') + field + QLatin1Char('"');
    }
    return field;
}

EventLog::EventLog(const QString& logFolder, std::function<QDateTime()> wallClock)
    : folder_(logFolder), wallClock_(std::move(wallClock)) {}

QString EventLog::FileFor(const QDate& date) const {
    return folder_ + QLatin1Char('/') + date.toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral(".csv");
}

void EventLog::Write(int slot, const QString& name, const QString& event, const QString& detail) {
    const QDateTime now = wallClock_();
    if (waiting_.size() >= kWaitingLines) {
        waiting_.pop_front();
        ++lost_;
        ++lostUntold_;
    }
    waiting_.push_back(Line(now, slot, name, event, detail));
    if (!openFor(now.date())) {
        return;
    }
    if (lostUntold_ > 0) {
        const QByteArray gap =
            Line(now, 0, {}, QStringLiteral("log-gap"),
                 QStringLiteral("%1 earlier lines were lost while the log could not be written")
                     .arg(lostUntold_));
        if (!put(gap)) {
            return;
        }
        lostUntold_ = 0;
    }
    while (!waiting_.empty()) {
        if (!put(waiting_.front())) {
            return;
        }
        waiting_.pop_front();
    }
}

bool EventLog::openFor(const QDate& date) {
    if (file_.isOpen() && date == fileDate_) {
        return true;
    }
    file_.close();
    if (!QDir().mkpath(folder_)) {
        fail(QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder_)));
        return false;
    }
    const QString path = FileFor(date);
    // A line cut short by a crash stays alone on its line: the next one starts on a new line.
    bool endsWithLineBreak = true;
    qint64 size = 0;
    {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly)) {
            size = existing.size();
            if (size > 0 && existing.seek(size - 1)) {
                endsWithLineBreak = existing.read(1) == "\n";
            }
        }
    }
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        fail(file_.errorString());
        return false;
    }
    fileDate_ = date;
    if (size == 0) {
        return put(QByteArray(kHeader) + kCrLf.toLatin1());
    }
    return endsWithLineBreak || put(kCrLf.toLatin1());
}

bool EventLog::put(const QByteArray& line) {
    QString reason;
    if (WriteAll(file_, line, reason)) {
        return true;
    }
    fail(reason);
    // Opened afresh for the next line: the disk may have room again, the folder may be back.
    file_.close();
    return false;
}

void EventLog::fail(const QString& reason) {
    if (told_) {
        return;
    }
    told_ = true;
    if (failureListener_) {
        failureListener_(
            QDir::toNativeSeparators(file_.fileName().isEmpty() ? folder_ : file_.fileName()),
            reason);
    }
}

} // namespace k7
