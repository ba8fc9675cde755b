#include "AnswerParser.h"

#include "Protocol.h"
#include "RackEvents.h"
#include "RackTables.h"

#include <QString>

#include <algorithm>

namespace k7 {

namespace {

constexpr std::uint8_t kSettingsVariant = 0x01;
constexpr std::uint8_t kUserMuteFlag = 0x02;
constexpr std::uint8_t kMutedFlag = 0x20;
constexpr std::uint8_t kAntennaFlag = 0x80;
constexpr std::uint8_t kMuteHighBit = 0x80;

QChar latin1(std::uint8_t byte) {
    return QChar(static_cast<char16_t>(byte));
}

} // namespace

void TellAnswer(const RackAnswer& answer, RackEvents& observer) {
    switch (answer.kind) {
    case RackAnswer::Meter:
        observer.MeterAnswered(answer.slot, answer.position);
        break;
    case RackAnswer::Settings:
        observer.SettingsAnswered(answer.slot);
        break;
    default:
        break;
    }
}

void AnswerParser::ResetProbes() {
    probeAnswered_.fill(0);
    probeAnswered_[1] = 99;
}

int AnswerParser::SlotOfDevice(int deviceIndex) const {
    if (deviceIndex < 0 || deviceIndex >= kMaxDevices) {
        return 0;
    }
    const auto d = static_cast<std::size_t>(deviceIndex);
    const int position = devices_.DeviceGroupPos[d];
    const int group = devices_.DeviceGroup[d];
    if (position < 1 || position > 8 || group < 0 ||
        group >= static_cast<int>(rack_.BankBase.size())) {
        return 0;
    }
    const int slot = rack_.BankBase[static_cast<std::size_t>(group)] + position;
    return RackTables::validSlot(slot) ? slot : 0;
}

RackAnswer AnswerParser::ParseSerial(int deviceIndex) {
    const int slot = SlotOfDevice(deviceIndex);
    if (slot == 0) {
        return {};
    }
    const int position = devices_.DeviceGroupPos[static_cast<std::size_t>(deviceIndex)];
    switch (rx_[2]) {
    case '!':
        identifyAnswer(slot);
        return {RackAnswer::Identify, slot, position};
    case 'D':
        if (rx_[8] & kSettingsVariant) {
            settingsAnswer(slot);
            return {RackAnswer::Settings, slot, position};
        }
        meterAnswer(slot);
        return {RackAnswer::Meter, slot, position};
    default:
        return {};
    }
}

void AnswerParser::identifyAnswer(int slot) {
    const auto s = static_cast<std::size_t>(slot);
    probeAnswered_[s] = static_cast<std::uint8_t>(slot);
    rack_.SlotState[s] = 2;
    SettingsRow& row = rack_.RxData[s];
    QString name;
    for (int i = 12; i <= 17; ++i) {
        const std::uint8_t c = rx_[static_cast<std::size_t>(i)];
        name += c == ' ' ? QLatin1Char('_') : latin1(c);
    }
    row.Name = name;
    row.Frequency = FrequencyText(rx_[9], rx_[10], rx_[11], rack_.DecimalSeparatorCode);
    int mute = rx_[8];
    rack_.MuteHighBit[s] = (mute & kMuteHighBit) != 0;
    if (mute > 128) {
        mute -= 128;
    }
    if (mute < 1 || mute > 10) {
        mute = 2;
    }
    row.MuteLevel = QString::number(mute);
    row.BandType = QString::number(rx_[7]);
}

void AnswerParser::settingsAnswer(int slot) {
    const auto s = static_cast<std::size_t>(slot);
    rack_.SlotState[s] = 2;
    rack_.UserMute[s] = (rx_[8] & kUserMuteFlag) != 0;
    SettingsRow& row = rack_.RxData[s];
    QString name(latin1(rx_[7]));
    for (int i = 9; i <= 13; ++i) {
        name += latin1(rx_[static_cast<std::size_t>(i)]);
    }
    row.Name = name;
    row.Frequency = FrequencyText(rx_[3], rx_[4], rx_[5], rack_.DecimalSeparatorCode);
    int mute = rx_[6];
    rack_.MuteHighBit[s] = (mute & kMuteHighBit) != 0;
    if (mute > 128) {
        mute -= 128;
    }
    mute = std::clamp(mute, 1, 10);
    row.MuteLevel = QString::number(mute);
    SettingsRow& current = rack_.CurData[s];
    current.MuteLevel = row.MuteLevel;
    current.Name = row.Name;
    current.Frequency = row.Frequency;
}

void AnswerParser::meterAnswer(int slot) {
    const auto s = static_cast<std::size_t>(slot);
    const std::uint8_t flags = rx_[8];
    rack_.SlotState[s] = 2;
    rack_.UserMute[s] = (flags & kUserMuteFlag) != 0;
    auto& meter = rack_.MeterData[s];
    meter[RfA] = rx_[3];
    meter[RfB] = rx_[4];
    meter[AudioLevel] = rx_[6];
    rack_.LastMuted = (flags & kMutedFlag) ? 1 : 0;
    rack_.LastAntenna = (flags & kAntennaFlag) ? 1 : 0;
    if (rack_.LastMuted == 1) {
        rack_.VoltageKnown[s] = false;
        rack_.HoldStart[s] = rack_.HoldAnswers;
        rack_.HoldCount[s] = 0;
    }
    if (rack_.HoldCount[s] > rack_.HoldAnswers) {
        meter[Voltage] = rx_[7];
        rack_.VoltageKnown[s] = true;
    } else {
        ++rack_.HoldCount[s];
    }
    ++rack_.AnswerCount[s];
}

} // namespace k7
