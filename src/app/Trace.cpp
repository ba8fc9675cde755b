#include "Trace.h"

#include "StartupDialogController.h"
#include "monitor/Alarms.h"
#include "monitor/Monitor.h"
#include "platform/Clock.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace k7 {

QString TraceText(const QString& text) {
    QString joined = text;
    joined.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    joined.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return joined;
}

bool Trace::open(const QString& path) {
    file_.setFileName(path);
    return file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
}

void Trace::Message(const MessageBoxSpec& box, MsgAnswer answer) {
    write(QStringLiteral("message"), {{QStringLiteral("title"), box.title},
                                      {QStringLiteral("text"), TraceText(box.text)},
                                      {QStringLiteral("icon"), IconText(box.icon)},
                                      {QStringLiteral("buttons"), ButtonsText(box.buttons)},
                                      {QStringLiteral("answer"), AnswerText(answer)}});
}

void Trace::Title(const QString& text) {
    write(QStringLiteral("title"), {{QStringLiteral("text"), text}});
}

void Trace::Dialog(const StartupDialogState& state) {
    if (!isOpen()) {
        return;
    }
    // What is shown, part by part, and the traced labels: a change in any of them is a line.
    const QString key = QStringLiteral("%1%2%3%4%5%6%7|%8|%9|%10")
                            .arg(int(state.visible))
                            .arg(int(state.picture))
                            .arg(int(state.query))
                            .arg(int(state.close))
                            .arg(int(state.continueButton))
                            .arg(int(state.closeButton))
                            .arg(int(state.closeButtonFocused))
                            .arg(state.lblRx, state.lblRxNo)
                            .arg(state.progress);
    // Nothing to tell until the dialog is first shown.
    if (key == lastDialog_ || (lastDialog_.isEmpty() && !state.visible)) {
        return;
    }
    lastDialog_ = key;
    write(QStringLiteral("dialog"), {{QStringLiteral("state"), DialogStateName(state)},
                                     {QStringLiteral("lblRx"), state.lblRx},
                                     {QStringLiteral("lblRxNo"), state.lblRxNo},
                                     {QStringLiteral("progress"), state.progress}});
}

void Trace::Timer(const QJsonValue& tag, bool enabled, int interval) {
    write(QStringLiteral("timer"), {{QStringLiteral("tag"), tag},
                                    {QStringLiteral("enabled"), enabled},
                                    {QStringLiteral("interval"), interval}});
}

void Trace::Window(const QString& name, const QString& caption, bool shown) {
    write(QStringLiteral("window"),
          {{QStringLiteral("name"), name},
           {QStringLiteral("caption"), caption},
           {QStringLiteral("state"), shown ? QStringLiteral("shown") : QStringLiteral("hidden")}});
}

void Trace::Status(const QString& window, const QString& text) {
    write(QStringLiteral("status"),
          {{QStringLiteral("window"), window}, {QStringLiteral("text"), text}});
}

void Trace::AlertChanged(const Alert& alert) {
    if (!isOpen()) {
        return;
    }
    QJsonObject fields{{QStringLiteral("slot"), alert.slot},
                       {QStringLiteral("kind"), QString(AlertToken(alert.kind))},
                       {QStringLiteral("state"),
                        alert.active() ? QStringLiteral("start") : QStringLiteral("end")}};
    if (alert.active()) {
        fields.insert(QStringLiteral("since"), static_cast<double>(alert.sinceMicros) / 1000.0);
    }
    write(QStringLiteral("alert"), fields);
}

void Trace::Alarm(const AlarmNote& note) {
    if (!isOpen()) {
        return;
    }
    static const char* const kStates[] = {"raised", "tone", "acknowledged", "silenced"};
    QJsonObject fields{{QStringLiteral("state"), QString::fromLatin1(kStates[note.change])},
                       {QStringLiteral("unacknowledged"), note.unacknowledged}};
    switch (note.change) {
    case AlarmNote::Raised:
    case AlarmNote::Acknowledged:
        fields.insert(QStringLiteral("slot"), note.alarm.slot);
        fields.insert(QStringLiteral("kind"), QString(AlertToken(note.alarm.kind)));
        break;
    case AlarmNote::Tone:
        fields.insert(QStringLiteral("audible"), note.audible);
        break;
    case AlarmNote::Silenced:
        fields.insert(QStringLiteral("for"), note.silenceMs);
        break;
    }
    write(QStringLiteral("alarm"), fields);
}

void Trace::NoAudioDevice(const QString& text) {
    write(QStringLiteral("alarm"), {{QStringLiteral("state"), QStringLiteral("no-audio-device")},
                                    {QStringLiteral("text"), text}});
}

void Trace::Rack(const RackNote& note) {
    if (!isOpen()) {
        return;
    }
    switch (note.kind) {
    case RackNote::RescanStarted:
        write(QStringLiteral("rescan"),
              QJsonObject{{QStringLiteral("state"), QStringLiteral("start")},
                          {QStringLiteral("before"), note.before}});
        return;
    case RackNote::RescanEnded:
        write(QStringLiteral("rescan"),
              QJsonObject{{QStringLiteral("state"), QStringLiteral("end")},
                          {QStringLiteral("before"), note.before},
                          {QStringLiteral("receivers"), note.receivers}});
        return;
    case RackNote::RescanRefused:
        write(QStringLiteral("rescan"),
              QJsonObject{{QStringLiteral("state"), QStringLiteral("refused")},
                          {QStringLiteral("before"), note.before},
                          {QStringLiteral("reason"), QString(RescanRefusalToken(note.refusal))}});
        return;
    case RackNote::Unplugged:
    case RackNote::PluggedIn:
        return; // the event log's rows; the rescan's end tells the count
    default:
        break;
    }
    QJsonObject fields{{QStringLiteral("kind"), QString(RackNoteToken(note.kind))}};
    switch (note.kind) {
    case RackNote::MonitoringStarted:
        fields.insert(QStringLiteral("receivers"), note.receivers);
        break;
    case RackNote::ProgrammingPass:
        fields.insert(QStringLiteral("source"),
                      note.pass.fromFile ? QStringLiteral("file") : QStringLiteral("receivers"));
        if (note.pass.fromFile) {
            fields.insert(QStringLiteral("file"), note.pass.file);
            fields.insert(QStringLiteral("changedOnly"), note.pass.changedOnly);
        }
        break;
    case RackNote::DevicesChanged:
        fields.insert(QStringLiteral("attached"), note.attached);
        fields.insert(QStringLiteral("expected"), note.expected);
        break;
    case RackNote::DiscoveryFailed: {
        QJsonArray silent;
        for (int slot : note.silentSlots) {
            silent.append(slot);
        }
        fields.insert(QStringLiteral("slots"), silent);
        break;
    }
    default:
        break;
    }
    write(QStringLiteral("rack"), fields);
}

void Trace::Crew(const QString& state, const QString& address, int port, const QString& url,
                 const QString& error) {
    QJsonObject fields{{QStringLiteral("state"), state},
                       {QStringLiteral("address"), address},
                       {QStringLiteral("port"), port}};
    if (!url.isEmpty()) {
        fields.insert(QStringLiteral("url"), url);
    }
    if (!error.isEmpty()) {
        fields.insert(QStringLiteral("error"), error);
    }
    write(QStringLiteral("crew"), fields);
}

void Trace::Sheet(const QString& file, int pages) {
    write(QStringLiteral("show-sheet"),
          {{QStringLiteral("file"), file}, {QStringLiteral("pages"), pages}});
}

void Trace::Exit(int code) {
    write(QStringLiteral("exit"), {{QStringLiteral("code"), code}});
}

void Trace::write(const QString& event, QJsonObject fields) {
    if (!file_.isOpen()) {
        return;
    }
    fields.insert(QStringLiteral("t"), static_cast<double>(clock_.nowMicros()) / 1000.0);
    fields.insert(QStringLiteral("event"), event);
    file_.write(QJsonDocument(fields).toJson(QJsonDocument::Compact));
    file_.write("\n");
    // Each line reaches the file at once, so that a trace explains also a run that crashed.
    file_.flush();
}

} // namespace k7
