// The export of the meter history to CSV: one wide file for a span of the hour, a row per
// interval of the chosen resolution (1 s, 100 ms) or per answer time, with the time (local, with
// milliseconds), then RF A, RF B and audio of every receiver: at a resolution the lowest RF of
// each antenna and the highest audio the receiver answered in the interval (what an operator
// looks for), per answer the answer's own; empty for a receiver that did not answer. The file
// goes to the folder "History" of the data folder, under a bare name the operator gives; it is
// written through QSaveFile in slices on a timer, so that polling goes on while an hour of forty
// receivers is written, and it appears whole or not at all.
#pragma once

#include "MeterHistory.h"

#include <QByteArray>
#include <QDateTime>
#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace k7 {

class ActionLog;
class Timer;
class TimerFactory;

// A name the operator gave, checked: the file it names in the export folder, or why not.
struct ExportName {
    QString path;  // empty when the name is refused
    QString error; // what is wrong with the name, for the operator
    bool exists = false;
    bool ok() const { return !path.isEmpty(); }
};

// The rows of an export: one per second, per tenth of a second, or per answer time.
enum class ExportResolution { Second, Tenth, EveryAnswer };

// The interval of a resolution in microseconds (0 for every answer) and its name ("1 s").
std::int64_t ResolutionMicros(ExportResolution resolution);
QString ResolutionText(ExportResolution resolution);

struct ExportProgress {
    enum State { Idle, Running, Done, Failed, Cancelled, Nothing };
    State state = Idle;
    QString path;
    std::size_t rows = 0;    // rows of the span
    std::size_t written = 0; // rows written so far
    QString error;           // Failed: what failed and what to do
};

class HistoryExport {
public:
    static constexpr std::size_t kRowsPerSlice = 1000; // well under a poll interval of work
    static constexpr int kSliceIntervalMs = 1;

    struct Wiring {
        const MeterHistory& history;
        std::function<int()> receivers;        // slots 1..n are exported
        std::function<QString(int)> name;      // the receiver's name as shown
        std::function<QDateTime()> wallOrigin; // the local time at the clock's origin
        TimerFactory& timers;                  // the slices' timer
        ActionLog& actions;                    // a written export is logged
        QString dataFolder;                    // "USB Files"
    };

    explicit HistoryExport(Wiring wiring);
    ~HistoryExport();
    HistoryExport(const HistoryExport&) = delete;
    HistoryExport& operator=(const HistoryExport&) = delete;

    // "USB Files/History".
    QString folder() const;
    // A name for an export made at that local time: "History 2024-05-03 20-14.csv".
    static QString DefaultName(const QDateTime& time);
    // A bare file name (".csv" added when it has no such ending) in the export folder; a folder,
    // a drive, a path separator or a link never lets a file out of it.
    ExportName CheckName(const QString& name) const;

    // Starts writing the answers of [fromMicros, toMicros] to the checked path at the
    // resolution; false (with the reason in progress()) when nothing can be written. The
    // listener hears every slice and the end.
    bool Start(const QString& path, std::int64_t fromMicros, std::int64_t toMicros,
               ExportResolution resolution);
    // About how many bytes that export would write, from the answers kept (no copy is made).
    std::int64_t EstimateBytes(std::int64_t fromMicros, std::int64_t toMicros,
                               ExportResolution resolution) const;
    void Cancel();
    // Writes what is left at once.
    void Finish();
    bool running() const { return progress_.state == ExportProgress::Running; }
    const ExportProgress& progress() const { return progress_; }
    // The local time at the clock's origin (ms since the epoch) that the export running or last
    // run counts its rows' times from, taken once at its start.
    std::int64_t originMs() const { return originMs_; }
    void SetListener(std::function<void(const ExportProgress&)> listener) {
        listener_ = std::move(listener);
    }

    // The file's first line: "time", then "<slot> <name> RF A", "... RF B", "... audio" of each
    // receiver.
    QByteArray Header() const;

private:
    struct Entry {
        std::int64_t micros;
        int slot;
        std::uint8_t rfA, rfB, audio;
    };

    // A row's interval: its start in microseconds of local time (the answer's own time for
    // every answer), so that rows fall on whole seconds or tenths of the clock.
    std::int64_t rowOf(std::int64_t micros) const {
        const std::int64_t local = originMs_ * 1000 + micros;
        return step_ == 0 ? local : local / step_ * step_ - (local % step_ < 0 ? step_ : 0);
    }
    void slice();
    bool write(const QByteArray& bytes);
    void end(ExportProgress::State state, const QString& error = {});
    void appendTime(QByteArray& row, std::int64_t localMicros);

    Wiring wiring_;
    std::unique_ptr<Timer> timer_;
    std::unique_ptr<QSaveFile> file_;
    std::vector<Entry> entries_; // the span's answers, in time order
    std::size_t next_ = 0;       // the next entry to write
    int receivers_ = 0;
    std::int64_t fromMicros_ = 0, toMicros_ = 0;
    ExportResolution resolution_ = ExportResolution::Second;
    std::int64_t step_ = 0;     // the rows' interval; 0: a row per answer time
    std::int64_t originMs_ = 0; // the local time at the clock's origin, ms since the epoch
    std::int64_t second_ = -1;  // the second whose text is cached
    QByteArray secondText_;     // "yyyy-MM-dd HH:mm:ss"
    ExportProgress progress_;
    std::function<void(const ExportProgress&)> listener_;
};

} // namespace k7
