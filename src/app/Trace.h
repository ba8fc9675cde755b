// The trace of what the operator was shown: one JSON object per line with "t" (ms since program
// start, on the clock the wire log also reads) and "event": "message", "title", "dialog",
// "timer", "window", "status", "alert", "alarm", "rack", "rescan", "crew", "show-sheet" or "exit".
// Off (and free) when no file is open.
#pragma once

#include "platform/Prompter.h"

#include <QFile>
#include <QJsonObject>
#include <QString>

namespace k7 {

class Clock;
struct Alert;
struct AlarmNote;
struct RackNote;
struct StartupDialogState;

class Trace {
public:
    explicit Trace(const Clock& clock) : clock_(clock) {}
    // Opens (replaces) the trace file; false when it cannot be written.
    bool open(const QString& path);
    bool isOpen() const { return file_.isOpen(); }
    QString errorString() const { return file_.errorString(); }

    void Message(const MessageBoxSpec& box, MsgAnswer answer);
    void Title(const QString& text);
    // Written only when what is shown or one of the traced labels changed.
    void Dialog(const StartupDialogState& state);
    // tag: the bank timer's index, or a named timer ("tmrClose").
    void Timer(const QJsonValue& tag, bool enabled, int interval);
    // A window other than the main one shown (again, with a new caption) or hidden.
    void Window(const QString& name, const QString& caption, bool shown);
    // A text given to a window's status line (empty: cleared).
    void Status(const QString& window, const QString& text);
    // An alert raised (with "since": when its reading first went bad) or ended.
    void AlertChanged(const Alert& alert);
    // An alarm raised, acknowledged or silenced, or a tone asked for ("audible": whether a
    // sound output played it), with the alarms left unacknowledged.
    void Alarm(const AlarmNote& note);
    // The run has no sound output: tones are traced, not heard.
    void NoAudioDevice(const QString& text);
    // A rack event: "rack", or "rescan" for a rescan's start, end and refusal.
    void Rack(const RackNote& note);
    // The crew view started serving ("on", with its address and key), stopped ("off") or could
    // not serve what was asked ("failed", with the reason).
    void Crew(const QString& state, const QString& address, int port, const QString& url,
              const QString& error);
    // A show sheet written: the file and the pages it took.
    void Sheet(const QString& file, int pages);
    void Exit(int code);

private:
    void write(const QString& event, QJsonObject fields);

    const Clock& clock_;
    QFile file_;
    QString lastDialog_;
};

// The lines of a message box's text joined with "\n" (CR LF and lone CR become "\n").
QString TraceText(const QString& text);

} // namespace k7
