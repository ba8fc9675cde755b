#include "Scenario.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace k7::sim {
namespace {

// A parse failure carries the place in the file ("receiver 2, faults") and what is wrong.
struct ParseError {
    QString text;
};

[[noreturn]] void fail(const QString& where, const QString& what) {
    throw ParseError{where.isEmpty() ? what : where + QStringLiteral(": ") + what};
}

void rejectUnknown(const QJsonObject& object, const QSet<QString>& known, const QString& where) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key())) {
            fail(where, QStringLiteral("unknown field \"%1\"").arg(it.key()));
        }
    }
}

std::int64_t integer(const QJsonValue& value, const QString& where, const QString& key,
                     std::int64_t low, std::int64_t high) {
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || std::floor(number) != number || number < static_cast<double>(low) ||
        number > static_cast<double>(high)) {
        fail(where, QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                        .arg(key)
                        .arg(low)
                        .arg(high));
    }
    return static_cast<std::int64_t>(number);
}

bool boolean(const QJsonValue& value, const QString& where, const QString& key) {
    if (!value.isBool()) {
        fail(where, QStringLiteral("\"%1\" must be true or false").arg(key));
    }
    return value.toBool();
}

double probability(const QJsonValue& value, const QString& where, const QString& key) {
    if (!value.isDouble() || value.toDouble() < 0.0 || value.toDouble() > 1.0) {
        fail(where, QStringLiteral("\"%1\" must be a probability from 0 to 1").arg(key));
    }
    return value.toDouble();
}

std::array<char, 6> name(const QJsonValue& value, const QString& where, const QString& key) {
    const QString text = value.toString();
    if (!value.isString() || text.isEmpty() || text.size() > 6) {
        fail(where, QStringLiteral("\"%1\" must be a text of 1 to 6 characters").arg(key));
    }
    std::array<char, 6> out{'_', '_', '_', '_', '_', '_'};
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) {
            fail(where, QStringLiteral("\"%1\" may hold printable ASCII characters only").arg(key));
        }
        out[static_cast<std::size_t>(i)] = static_cast<char>(c.unicode());
    }
    return out;
}

std::array<std::uint8_t, 3> frequency(const QJsonValue& value, const QString& where,
                                      const QString& key) {
    const auto bytes = FrequencyBytes(value.toString());
    if (!value.isString() || !bytes) {
        fail(where, QStringLiteral("\"%1\" must be a frequency text like \"606.600\"").arg(key));
    }
    return *bytes;
}

std::array<int, 2> range(const QJsonValue& value, const QString& where, const QString& key) {
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != 2) {
        fail(where, QStringLiteral("\"%1\" must be a pair [low, high]").arg(key));
    }
    const auto low = static_cast<int>(integer(array.at(0), where, key, 0, 255));
    const auto high = static_cast<int>(integer(array.at(1), where, key, 0, 255));
    if (low > high) {
        fail(where, QStringLiteral("\"%1\" must have its low value first").arg(key));
    }
    return {low, high};
}

PresetEntry preset(const QJsonValue& value, const QString& where) {
    if (!value.isObject()) {
        fail(where, QStringLiteral("must be an object"));
    }
    const QJsonObject object = value.toObject();
    rejectUnknown(object, {"name", "frequency", "mute", "bandType"}, where);
    PresetEntry entry;
    if (object.contains("name")) {
        entry.name = name(object["name"], where, "name");
        for (char& c : entry.name) {
            c = c == '_' ? ' ' : c; // the store keeps names space-filled, as they are sent
        }
    }
    entry.frequency = object.contains("frequency")
                          ? frequency(object["frequency"], where, "frequency")
                          : std::array<std::uint8_t, 3>{60, 66, 0};
    const auto mute = object.contains("mute") ? integer(object["mute"], where, "mute", 1, 10) : 5;
    const auto band =
        object.contains("bandType") ? integer(object["bandType"], where, "bandType", 0, 245) : 0;
    if (mute + band > 255) {
        fail(where, QStringLiteral("\"bandType\" plus \"mute\" must fit in one byte"));
    }
    entry.muteByte = static_cast<std::uint8_t>(mute + band);
    return entry;
}

ScheduledChange change(const QJsonValue& value, const QString& where) {
    if (!value.isObject()) {
        fail(where, QStringLiteral("must be an object"));
    }
    const QJsonObject object = value.toObject();
    rejectUnknown(object, {"atMs", "name", "frequency", "mute", "userMute"}, where);
    if (!object.contains("atMs")) {
        fail(where, QStringLiteral("\"atMs\" is missing"));
    }
    ScheduledChange out;
    out.atMs = integer(object["atMs"], where, "atMs", 0, 1'000'000'000'000);
    if (object.contains("name")) {
        out.name = name(object["name"], where, "name");
    }
    if (object.contains("frequency")) {
        out.frequency = frequency(object["frequency"], where, "frequency");
    }
    if (object.contains("mute")) {
        out.mute = static_cast<int>(integer(object["mute"], where, "mute", 1, 10));
    }
    if (object.contains("userMute")) {
        out.userMute = boolean(object["userMute"], where, "userMute");
    }
    return out;
}

ScheduledLevels levels(const QJsonValue& value, const QString& where) {
    if (!value.isObject()) {
        fail(where, QStringLiteral("must be an object"));
    }
    const QJsonObject object = value.toObject();
    rejectUnknown(object, {"atMs", "rf", "audio", "battery"}, where);
    if (!object.contains("atMs")) {
        fail(where, QStringLiteral("\"atMs\" is missing"));
    }
    ScheduledLevels out;
    out.atMs = integer(object["atMs"], where, "atMs", 0, 1'000'000'000'000);
    if (object.contains("rf")) {
        out.rf = range(object["rf"], where, "rf");
    }
    if (object.contains("audio")) {
        out.audio = range(object["audio"], where, "audio");
    }
    if (object.contains("battery")) {
        out.battery = static_cast<int>(integer(object["battery"], where, "battery", 0, 255));
    }
    if (!out.rf && !out.audio && !out.battery) {
        fail(where, QStringLiteral("sets none of \"rf\", \"audio\" and \"battery\""));
    }
    return out;
}

FaultSwitches faults(const QJsonValue& value, const QString& where) {
    if (!value.isObject()) {
        fail(where, QStringLiteral("must be an object"));
    }
    const QJsonObject object = value.toObject();
    rejectUnknown(object,
                  {"silent", "identifyFrom", "wrongFirstByte", "shortAnswer", "unplugAtMs",
                   "replugAtMs", "refuseBaudRate", "uploadChecksumError", "holdCts", "purgeError",
                   "refuseReadTimeoutMs", "refuseLatencyMs", "uploadCount"},
                  where);
    FaultSwitches out;
    if (object.contains("silent")) {
        out.silent = boolean(object["silent"], where, "silent");
    }
    if (object.contains("identifyFrom")) {
        out.identifyFrom =
            static_cast<int>(integer(object["identifyFrom"], where, "identifyFrom", 1, 1000000));
    }
    if (object.contains("wrongFirstByte")) {
        out.wrongFirstByte = probability(object["wrongFirstByte"], where, "wrongFirstByte");
    }
    if (object.contains("shortAnswer")) {
        out.shortAnswer = probability(object["shortAnswer"], where, "shortAnswer");
    }
    if (object.contains("unplugAtMs") && !object["unplugAtMs"].isNull()) {
        out.unplugAtMs = integer(object["unplugAtMs"], where, "unplugAtMs", 0, 1'000'000'000'000);
    }
    if (object.contains("replugAtMs") && !object["replugAtMs"].isNull()) {
        out.replugAtMs = integer(object["replugAtMs"], where, "replugAtMs", 0, 1'000'000'000'000);
        if (!out.unplugAtMs || *out.replugAtMs <= *out.unplugAtMs) {
            fail(where, QStringLiteral("\"replugAtMs\" must come after \"unplugAtMs\""));
        }
    }
    if (object.contains("refuseBaudRate")) {
        out.refuseBaudRate = boolean(object["refuseBaudRate"], where, "refuseBaudRate");
    }
    if (object.contains("uploadChecksumError")) {
        out.uploadChecksumError =
            boolean(object["uploadChecksumError"], where, "uploadChecksumError");
    }
    if (object.contains("holdCts")) {
        out.holdCts = boolean(object["holdCts"], where, "holdCts");
    }
    if (object.contains("purgeError")) {
        out.purgeError = boolean(object["purgeError"], where, "purgeError");
    }
    if (object.contains("refuseReadTimeoutMs") && !object["refuseReadTimeoutMs"].isNull()) {
        out.refuseReadTimeoutMs = static_cast<std::uint32_t>(
            integer(object["refuseReadTimeoutMs"], where, "refuseReadTimeoutMs", 0, 0xFFFFFFFF));
    }
    if (object.contains("refuseLatencyMs") && !object["refuseLatencyMs"].isNull()) {
        out.refuseLatencyMs =
            static_cast<int>(integer(object["refuseLatencyMs"], where, "refuseLatencyMs", 0, 255));
    }
    if (object.contains("uploadCount") && !object["uploadCount"].isNull()) {
        out.uploadCount =
            static_cast<int>(integer(object["uploadCount"], where, "uploadCount", 0, 255));
    }
    return out;
}

ReceiverSetup receiver(const QJsonValue& value, int position);

// Devices that appear later: each a receiver as in "receivers", attached from its "atMs" on and
// listed after those attached from the start.
void plugIns(const QJsonValue& value, Scenario& scenario) {
    const QJsonArray entries = value.toArray();
    if (!value.isArray() || scenario.receivers.size() + static_cast<std::size_t>(entries.size()) >
                                static_cast<std::size_t>(kMaxSimulatedReceivers)) {
        fail({}, QStringLiteral("\"plugIn\" must be a list, with \"receivers\" at most 48 "
                                "receivers"));
    }
    for (int i = 0; i < entries.size(); ++i) {
        const QString where = QStringLiteral("plugIn %1").arg(i + 1);
        if (!entries.at(i).isObject()) {
            fail(where, QStringLiteral("must be an object"));
        }
        const QJsonObject entry = entries.at(i).toObject();
        rejectUnknown(entry, {"atMs", "receiver"}, where);
        if (!entry.contains("atMs") || !entry.contains("receiver")) {
            fail(where, QStringLiteral("needs \"atMs\" and \"receiver\""));
        }
        const std::int64_t at = integer(entry["atMs"], where, "atMs", 0, 1'000'000'000'000);
        ReceiverSetup setup =
            receiver(entry["receiver"], static_cast<int>(scenario.receivers.size()));
        setup.plugInAtMs = at;
        scenario.receivers.push_back(std::move(setup));
    }
}

ReceiverSetup receiver(const QJsonValue& value, int position) {
    const QString where = QStringLiteral("receiver %1").arg(position + 1);
    if (!value.isObject()) {
        fail(where, QStringLiteral("must be an object"));
    }
    const QJsonObject o = value.toObject();
    rejectUnknown(o,
                  {"serial", "location", "name", "frequency", "mute", "muteHighBit", "bandType",
                   "userMute", "rf", "audio", "battery", "settingsEvery", "presets", "changes",
                   "levels", "faults"},
                  where);
    ReceiverSetup setup = Scenario::simulated(position + 1).receivers.back();
    const QString serial = o["serial"].toString();
    if (!o["serial"].isString() || serial.isEmpty() || serial.size() > 15) {
        fail(where, QStringLiteral("\"serial\" must be a text of 1 to 15 characters"));
    }
    setup.serial = serial;
    setup.location = DefaultLocation(position);
    setup.muteHighBit = false;
    setup.bandType = 0;
    setup.presets.clear();
    if (o.contains("location")) {
        setup.location =
            static_cast<std::uint32_t>(integer(o["location"], where, "location", 0, 0xFFFFFFFF));
    }
    if (o.contains("name")) {
        setup.name = name(o["name"], where, "name");
    }
    if (o.contains("frequency")) {
        setup.frequency = frequency(o["frequency"], where, "frequency");
    }
    if (o.contains("mute")) {
        setup.mute = static_cast<int>(integer(o["mute"], where, "mute", 1, 10));
    }
    if (o.contains("muteHighBit")) {
        setup.muteHighBit = boolean(o["muteHighBit"], where, "muteHighBit");
    }
    if (o.contains("bandType")) {
        setup.bandType =
            static_cast<std::uint8_t>(integer(o["bandType"], where, "bandType", 0, 255));
    }
    if (o.contains("userMute")) {
        const bool on = boolean(o["userMute"], where, "userMute");
        setup.bandType =
            static_cast<std::uint8_t>(on ? setup.bandType | 0x40 : setup.bandType & ~0x40);
    }
    if (o.contains("rf")) {
        setup.rf = range(o["rf"], where, "rf");
    }
    if (o.contains("audio")) {
        setup.audio = range(o["audio"], where, "audio");
    }
    if (o.contains("battery")) {
        setup.battery = static_cast<int>(integer(o["battery"], where, "battery", 0, 255));
    }
    if (o.contains("settingsEvery")) {
        setup.settingsEvery =
            static_cast<int>(integer(o["settingsEvery"], where, "settingsEvery", 0, 1000000));
    }
    if (o.contains("presets")) {
        const QJsonArray presets = o["presets"].toArray();
        if (!o["presets"].isArray() || presets.size() > kPresetStoreSize) {
            fail(where, QStringLiteral("\"presets\" must be a list of at most 40 entries"));
        }
        for (int i = 0; i < presets.size(); ++i) {
            setup.presets.push_back(
                preset(presets.at(i), where + QStringLiteral(", preset %1").arg(i + 1)));
        }
    }
    if (o.contains("changes")) {
        if (!o["changes"].isArray()) {
            fail(where, QStringLiteral("\"changes\" must be a list"));
        }
        const QJsonArray changes = o["changes"].toArray();
        for (int i = 0; i < changes.size(); ++i) {
            setup.changes.push_back(
                change(changes.at(i), where + QStringLiteral(", change %1").arg(i + 1)));
        }
        std::stable_sort(setup.changes.begin(), setup.changes.end(),
                         [](const auto& a, const auto& b) { return a.atMs < b.atMs; });
    }
    if (o.contains("levels")) {
        if (!o["levels"].isArray()) {
            fail(where, QStringLiteral("\"levels\" must be a list"));
        }
        const QJsonArray entries = o["levels"].toArray();
        for (int i = 0; i < entries.size(); ++i) {
            setup.levels.push_back(
                levels(entries.at(i), where + QStringLiteral(", levels %1").arg(i + 1)));
        }
        std::stable_sort(setup.levels.begin(), setup.levels.end(),
                         [](const auto& a, const auto& b) { return a.atMs < b.atMs; });
    }
    if (o.contains("faults")) {
        setup.faults = faults(o["faults"], where + QStringLiteral(", faults"));
    }
    return setup;
}

} // namespace

std::optional<std::array<std::uint8_t, 3>> FrequencyBytes(const QString& text) {
    if (text.size() != 7 || text.at(3) != QLatin1Char('.')) {
        return std::nullopt;
    }
    std::array<int, 6> digits{};
    int k = 0;
    for (int i = 0; i < 7; ++i) {
        if (i == 3) {
            continue;
        }
        if (!text.at(i).isDigit() || text.at(i).unicode() > '9') {
            return std::nullopt;
        }
        digits[static_cast<std::size_t>(k++)] = text.at(i).unicode() - '0';
    }
    return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(digits[0] * 10 + digits[1]),
                                       static_cast<std::uint8_t>(digits[2] * 10 + digits[3]),
                                       static_cast<std::uint8_t>(digits[4] * 10 + digits[5])};
}

std::uint32_t DefaultLocation(int position) {
    // Bus 1; hub h on root port h + 1; the receiver on port (position mod 8) + 1 of its hub.
    const auto hub = static_cast<std::uint32_t>(position / 8);
    const auto port = static_cast<std::uint32_t>(position % 8);
    return (1u << 24) | ((hub + 1) << 20) | ((port + 1) << 16);
}

std::optional<Scenario> Scenario::fromFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = QStringLiteral("%1: cannot be read (%2)").arg(path, file.errorString());
        }
        return std::nullopt;
    }
    // Read no further than the limit: a file past it (or a device that never ends) is refused
    // before it can take the memory its parse would.
    const QByteArray json = file.read(kMaxScenarioBytes + 1);
    if (json.size() > kMaxScenarioBytes) {
        if (error) {
            *error = QStringLiteral("%1: larger than 4 MiB, the most a scenario file may be (a "
                                    "rack of 48 receivers with long scripts takes far less)")
                         .arg(path);
        }
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError) {
        if (error) {
            *error = QStringLiteral("%1: cannot be read (%2)").arg(path, file.errorString());
        }
        return std::nullopt;
    }
    return fromJson(json, path, error);
}

std::optional<Scenario> Scenario::fromJson(const QByteArray& json, const QString& source,
                                           QString* error) {
    try {
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
        if (parseError.error != QJsonParseError::NoError) {
            fail({}, QStringLiteral("not valid JSON at offset %1 (%2)")
                         .arg(parseError.offset)
                         .arg(parseError.errorString()));
        }
        if (!document.isObject()) {
            fail({}, QStringLiteral("the file must hold one JSON object"));
        }
        const QJsonObject root = document.object();
        rejectUnknown(root, {"seed", "answers", "receivers", "plugIn"}, {});
        Scenario scenario;
        if (root.contains("seed")) {
            scenario.seed =
                static_cast<std::uint32_t>(integer(root["seed"], {}, "seed", 0, 0xFFFFFFFF));
        }
        if (root.contains("answers")) {
            const QString answers = root["answers"].toString();
            if (answers != QLatin1String("immediate") && answers != QLatin1String("latency")) {
                fail({}, QStringLiteral("\"answers\" must be \"immediate\" or \"latency\""));
            }
            scenario.immediateAnswers = answers == QLatin1String("immediate");
        }
        const QJsonArray receivers = root["receivers"].toArray();
        if (!root["receivers"].isArray() || receivers.isEmpty() ||
            receivers.size() > kMaxSimulatedReceivers) {
            fail({}, QStringLiteral("\"receivers\" must be a list of 1 to 48 receivers"));
        }
        for (int i = 0; i < receivers.size(); ++i) {
            scenario.receivers.push_back(receiver(receivers.at(i), i));
        }
        if (root.contains("plugIn")) {
            plugIns(root["plugIn"], scenario);
        }
        return scenario;
    } catch (const ParseError& e) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(QFileInfo(source).fileName(), e.text);
        }
        return std::nullopt;
    }
}

Scenario Scenario::simulated(int count, std::uint32_t seed) {
    // The band's own preset channels first, then further channels on the 25 kHz raster,
    // 750 kHz apart, below the band's upper edge at 638 MHz.
    static constexpr std::array<const char*, 10> kPresets = {
        "606.600", "607.500", "608.150", "609.150", "609.950",
        "610.550", "611.250", "612.300", "613.150", "613.500"};
    static constexpr std::array<const char*, 10> kRoles = {"VOX", "GTR", "BAS", "KEY", "DRM",
                                                           "SAX", "TPT", "PRC", "CHR", "MC"};
    Scenario scenario;
    scenario.seed = seed;
    const int n = std::clamp(count, 0, kMaxSimulatedReceivers);
    for (int i = 0; i < n; ++i) {
        ReceiverSetup setup;
        setup.serial = QStringLiteral("5K0001%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        setup.location = DefaultLocation(i);
        const QString label = QStringLiteral("%1_%2_")
                                  .arg(QLatin1String(kRoles[static_cast<std::size_t>(i % 10)]))
                                  .arg(i + 1);
        for (std::size_t c = 0; c < 6; ++c) {
            setup.name[c] = static_cast<int>(c) < label.size()
                                ? static_cast<char>(label.at(static_cast<int>(c)).unicode())
                                : '_';
        }
        if (i < static_cast<int>(kPresets.size())) {
            setup.frequency = *FrequencyBytes(QLatin1String(kPresets[static_cast<std::size_t>(i)]));
        } else {
            const int khz = 614000 + (i - static_cast<int>(kPresets.size())) % 32 * 750;
            setup.frequency = {static_cast<std::uint8_t>(khz / 10000),
                               static_cast<std::uint8_t>(khz / 100 % 100),
                               static_cast<std::uint8_t>(khz % 100)};
        }
        setup.mute = 3 + i % 5;
        // As current receivers do, so that the demonstration rack can be renamed and retuned.
        setup.muteHighBit = true;
        setup.bandType = 36;
        const int rfLow = 95 + (i * 7) % 30;
        setup.rf = {rfLow, std::min(255, rfLow + 55 + (i * 11) % 25)};
        setup.audio = {8 + i % 6, 140 + (i * 13) % 60};
        setup.battery = 175 + (i * 17) % 35;
        scenario.receivers.push_back(setup);
    }
    return scenario;
}

} // namespace k7::sim
