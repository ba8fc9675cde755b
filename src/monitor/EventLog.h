// The event log: one CSV file a day in the data folder ("USB Files/Logs/YYYY-MM-DD.csv"), one
// line per alert start and end, rack event and operator action: time with milliseconds, slot,
// receiver name, event, detail. Each line goes to the file in one write, whole or not at all, so
// that a crash loses at most the line being written and never touches earlier ones; a line a
// crash cut short is completed before the next start appends. A log that cannot be written is
// told once; its lines wait (a bounded number) and go out when the file can be written again.
#pragma once

#include "platform/ActionLog.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <cstddef>
#include <deque>
#include <functional>

namespace k7 {

class EventLog final : public ActionLog {
public:
    static constexpr std::size_t kWaitingLines = 1000;
    // The first line of every file.
    static constexpr const char* kHeader = "time,slot,receiver,event,detail";

    // logFolder: "USB Files/Logs", made when the first line is written. wallClock: the local
    // time of a line.
    EventLog(const QString& logFolder, std::function<QDateTime()> wallClock);

    // Called the first time a line cannot be written (the file's path and the reason).
    void SetFailureListener(std::function<void(const QString&, const QString&)> listener) {
        failureListener_ = std::move(listener);
    }

    // One line at the present time; slot 0 leaves the slot and name columns empty.
    void Write(int slot, const QString& name, const QString& event, const QString& detail);
    // ActionLog
    void Action(int slot, const QString& name, const QString& event,
                const QString& detail) override {
        Write(slot, name, event, detail);
    }

    const QString& folder() const { return folder_; }
    // The file a line written at that time goes to.
    QString FileFor(const QDate& date) const;
    // Lines not yet in a file, and lines let go because too many were waiting.
    std::size_t waiting() const { return waiting_.size(); }
    std::size_t lost() const { return lost_; }

private:
    bool openFor(const QDate& date);
    // What completes the file's last line when a crash cut it short (nothing when it is whole).
    static QByteArray LineEndFor(const QString& path);
    bool put(const QByteArray& line);
    void fail(const QString& reason);

    QString folder_;
    std::function<QDateTime()> wallClock_;
    std::function<void(const QString&, const QString&)> failureListener_;
    QFile file_;
    QDate fileDate_;
    std::deque<QByteArray> waiting_;
    std::size_t lost_ = 0;
    std::size_t lostUntold_ = 0; // lost since the last line that said so
    bool told_ = false;
};

// A CSV field as the log writes it: a line break becomes a space (a line of the file is one
// event); quoted when it holds a comma or a quote, quotes doubled; a field a spreadsheet would
// take for a formula (=, +, -, @) gets a leading '.
QString CsvField(const QString& text);

} // namespace k7
