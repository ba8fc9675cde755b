#include "EventLog.h"

#include "files/WholeFile.h"

#include <QDir>

#include <algorithm>

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
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        fail(file_.errorString());
        return false;
    }
    fileDate_ = date;
    if (file_.size() == 0) {
        return put(QByteArray(kHeader) + kCrLf.toLatin1());
    }
    return put(LineEndFor(path));
}

QByteArray EventLog::LineEndFor(const QString& path) {
    // A line cut short by a crash is completed before anything follows it: a quote it left open
    // is closed and the line ended, so that it stays one damaged record and every later line
    // reads back whole. Fields never hold a line break, so the cut line is the text after the
    // last one (read from the end: a line is short, a damaged file may not be).
    constexpr qint64 kTail = 64 * 1024;
    QFile existing(path);
    if (!existing.open(QIODevice::ReadOnly)) {
        return {};
    }
    const qint64 size = existing.size();
    if (size == 0 || !existing.seek(std::max<qint64>(0, size - kTail))) {
        return {};
    }
    const QByteArray tail = existing.readAll();
    if (tail.endsWith('\n')) {
        return {};
    }
    if (tail.endsWith('\r')) {
        return "\n";
    }
    const QByteArrayView line = QByteArrayView(tail).sliced(tail.lastIndexOf('\n') + 1);
    return (line.count('"') % 2 == 1 ? "\"" : "") + kCrLf.toLatin1();
}

bool EventLog::put(const QByteArray& line) {
    if (line.isEmpty()) {
        return true;
    }
    const qint64 before = file_.size();
    QString reason;
    if (WriteAll(file_, line, reason)) {
        return true;
    }
    // A line goes to the file whole or not at all: what part of it the disk took is taken back.
    file_.resize(before);
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
