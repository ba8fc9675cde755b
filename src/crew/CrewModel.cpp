#include "CrewModel.h"

#include "bands/BandTable.h"
#include "display/ScaleMarks.h"
#include "files/ReceiverLabels.h"
#include "monitor/AlertList.h"
#include "platform/Clock.h"
#include "rack/RackTables.h"

#include <QJsonDocument>

#include <cmath>

namespace k7 {
namespace {

// The raw voltage below which the meters show the battery low (the gauge's low frame).
constexpr int kLowVoltage = 108;
// The fullest the long scale's gauge is drawn.
constexpr double kGaugeRows = 61.0;

double Rounded(double value) {
    return std::round(value * 100.0) / 100.0;
}

double Ms(std::int64_t micros) {
    return static_cast<double>(micros) / 1000.0;
}

QJsonValue KindOrNull(const std::optional<AlertKind>& kind) {
    return kind ? QJsonValue(QString(AlertToken(*kind))) : QJsonValue(QJsonValue::Null);
}

QJsonArray Marks(const auto& numbers) {
    QJsonArray marks;
    for (const char* number : numbers) {
        marks.append(QString::fromLatin1(number));
    }
    return marks;
}

QByteArray Text(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

QLatin1StringView ActivityToken(RackActivity activity) {
    switch (activity) {
    case RackActivity::Discovery:
        return QLatin1StringView("discovery");
    case RackActivity::LoadQuestion:
        return QLatin1StringView("question");
    case RackActivity::Pass:
        return QLatin1StringView("pass");
    case RackActivity::Monitoring:
        return QLatin1StringView("monitoring");
    case RackActivity::Settling:
        return QLatin1StringView("settling");
    case RackActivity::Closing:
        return QLatin1StringView("closing");
    }
    return {};
}

CrewModel::CrewModel(const Sources& sources)
    : rack_(sources.rack), devices_(sources.devices), alerts_(sources.alerts),
      labels_(sources.labels), clock_(sources.clock), wallOrigin_(sources.wallOrigin) {
    BuildScaling(scaling_);
}

void CrewModel::MeterAnswered(int slot) {
    if (!RackTables::validSlot(slot)) {
        return;
    }
    Moment& moment = moments_[static_cast<std::size_t>(slot)];
    moment.answered = true;
    moment.muted = rack_.LastMuted == 1;
    moment.antennaA = rack_.LastAntenna == 1;
    moment.atMicros = clock_.nowMicros();
}

void CrewModel::SetAnswering(int slot, bool answering) {
    if (RackTables::validSlot(slot)) {
        moments_[static_cast<std::size_t>(slot)].blanked = !answering;
    }
}

std::uint8_t CrewModel::Audio(int slot) const {
    return RackTables::validSlot(slot) ? rack_.MeterData[static_cast<std::size_t>(slot)][AudioLevel]
                                       : 0;
}

QJsonObject CrewModel::head(const char* type) const {
    return QJsonObject{{QStringLiteral("type"), QLatin1StringView(type)},
                       {QStringLiteral("t"), Ms(clock_.nowMicros())}};
}

QJsonObject CrewModel::slotObject(int slot, int peakRaw) const {
    const auto s = static_cast<std::size_t>(slot);
    const SettingsRow& row = rack_.CurData[s];
    const auto& meter = rack_.MeterData[s];
    const Moment& moment = moments_[s];
    const int muteLevel = MuteLevelRow(row.MuteLevel);
    const int voltage = meter[Voltage];
    const bool voltageShown = moment.answered && !moment.muted && rack_.VoltageKnown[s];
    QString frequency = row.Frequency;
    frequency.replace(rack_.DecimalSeparator(), QLatin1Char('.'));
    const CellAlerts cell = alerts_.CellOf(slot);

    QJsonObject object{
        {QStringLiteral("slot"), slot},
        {QStringLiteral("name"), row.Name},
        {QStringLiteral("frequency"), frequency},
        {QStringLiteral("band"), devices_.SlotBand[s]},
        {QStringLiteral("bandName"), BandPanelName(devices_.SlotBand[s])},
        {QStringLiteral("muteLevel"), muteLevel},
        {QStringLiteral("threshold"), Rounded(scale_.ThresholdPosition(muteLevel))},
        {QStringLiteral("rfA"), Rounded(scale_.RfPosition(meter[RfA]))},
        {QStringLiteral("rfB"), Rounded(scale_.RfPosition(meter[RfB]))},
        {QStringLiteral("audio"), Rounded(scale_.AudioPosition(meter[AudioLevel]))},
        {QStringLiteral("peak"), Rounded(scale_.AudioPosition(peakRaw))},
        {QStringLiteral("raw"),
         QJsonArray{meter[RfA], meter[RfB], meter[AudioLevel], peakRaw, voltage}},
        {QStringLiteral("battery"),
         voltageShown && voltage >= kLowVoltage
             ? QJsonValue(Rounded(
                   scaling_.ScaleTable255[static_cast<std::size_t>(voltage)][GaugeHeightColumn] /
                   kGaugeRows))
             : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("batteryLow"), voltageShown && voltage < kLowVoltage},
        {QStringLiteral("muted"), moment.muted},
        {QStringLiteral("userMute"), rack_.UserMute[s]},
        {QStringLiteral("antenna"),
         moment.answered && !moment.muted
             ? QJsonValue(moment.antennaA ? QStringLiteral("A") : QStringLiteral("B"))
             : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("answering"), !moment.blanked},
        {QStringLiteral("at"),
         moment.answered ? QJsonValue(Ms(moment.atMicros)) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("alert"), KindOrNull(cell.active)},
        {QStringLiteral("alertEnded"), KindOrNull(cell.ended)},
    };
    // Only what is set, so that a viewer of a rack without labels gets what it always got.
    const QString serial = QString::fromLatin1(devices_.SlotSerial[s].data());
    if (const ReceiverLabel label =
            labels_ && !serial.isEmpty() ? labels_->Of(serial) : ReceiverLabel{};
        !label.empty()) {
        if (!label.label.isEmpty()) {
            object.insert(QStringLiteral("label"), label.label);
        }
        if (!label.group.isEmpty()) {
            object.insert(QStringLiteral("group"), label.group);
        }
        if (label.colour != LabelColour::None) {
            object.insert(QStringLiteral("colour"), LabelColourName(label.colour));
        }
    }
    return object;
}

QJsonArray CrewModel::slotsOf(std::uint64_t which, const ViewerChanges* changes) const {
    QJsonArray list;
    for (int slot = 1; slot <= std::min<int>(devices_.DeviceCount, kMaxSlots); ++slot) {
        if (which & (std::uint64_t{1} << slot)) {
            const auto s = static_cast<std::size_t>(slot);
            const int audio = rack_.MeterData[s][AudioLevel];
            list.append(
                slotObject(slot, changes ? std::max<int>(changes->audioPeak[s], audio) : audio));
        }
    }
    return list;
}

QJsonArray CrewModel::openAlerts() const {
    QJsonArray list;
    // Newest first, as the Alerts window lists them.
    for (std::size_t i = alerts_.size(); i-- > 0;) {
        const Alert& alert = alerts_.at(i);
        if (!alert.active()) {
            continue;
        }
        list.append(QJsonObject{{QStringLiteral("id"), static_cast<double>(alert.id)},
                                {QStringLiteral("slot"), alert.slot},
                                {QStringLiteral("name"), alert.name},
                                {QStringLiteral("kind"), QString(AlertToken(alert.kind))},
                                {QStringLiteral("caption"), AlertCaption(alert.kind)},
                                {QStringLiteral("since"), Ms(alert.sinceMicros)},
                                {QStringLiteral("began"), alert.began.toString(Qt::ISODateWithMs)},
                                {QStringLiteral("detail"), alert.detail}});
    }
    return list;
}

QByteArray CrewModel::Snapshot() const {
    QJsonObject kinds;
    for (AlertKind kind : kAllAlertKinds) {
        kinds.insert(AlertToken(kind),
                     QJsonObject{{QStringLiteral("caption"), AlertCaption(kind)},
                                 {QStringLiteral("colour"), AlertColour(kind).name()},
                                 {QStringLiteral("urgency"), AlertUrgency(kind)}});
    }
    QJsonObject snapshot = head("snapshot");
    snapshot.insert(QStringLiteral("version"), kFormatVersion);
    snapshot.insert(QStringLiteral("clockOrigin"),
                    static_cast<double>(wallOrigin_().toMSecsSinceEpoch()));
    snapshot.insert(QStringLiteral("receivers"), devices_.DeviceCount);
    snapshot.insert(QStringLiteral("activity"), QString(ActivityToken(activity_)));
    snapshot.insert(QStringLiteral("scales"),
                    QJsonObject{{QStringLiteral("rf"), Marks(kRfNumbers10)},
                                {QStringLiteral("rfUnit"), MicroVolt()},
                                {QStringLiteral("audio"), Marks(kAudioNumbers10)},
                                {QStringLiteral("audioUnit"), QStringLiteral("dB")}});
    snapshot.insert(QStringLiteral("kinds"), kinds);
    snapshot.insert(QStringLiteral("slots"), slotsOf(~std::uint64_t{0}, nullptr));
    snapshot.insert(QStringLiteral("alerts"), openAlerts());
    return Text(snapshot);
}

QByteArray CrewModel::Changes(const ViewerChanges& changes) const {
    QJsonObject message = head("changes");
    if (changes.activity) {
        message.insert(QStringLiteral("activity"), QString(ActivityToken(activity_)));
    }
    message.insert(QStringLiteral("slots"), slotsOf(changes.changed, &changes));
    if (changes.alerts) {
        message.insert(QStringLiteral("alerts"), openAlerts());
    }
    return Text(message);
}

QByteArray CrewModel::Alive() const {
    return Text(head("alive"));
}

} // namespace k7
