#include "Protocol.h"

#include <algorithm>

namespace k7 {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::uint8_t twoDigits(QChar tens, QChar units) {
    return static_cast<std::uint8_t>((tens.unicode() - '0') * 10 + (units.unicode() - '0'));
}

// The six name characters sent to the receiver: cut to six, or filled up with "_".
std::optional<std::array<std::uint8_t, 6>> nameBytes(const QString& name) {
    std::array<std::uint8_t, 6> bytes{};
    for (int i = 0; i < 6; ++i) {
        const QChar c = i < name.size() ? name.at(i) : QLatin1Char('_');
        if (c.unicode() > 0xFF) {
            return std::nullopt;
        }
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(c.unicode());
    }
    return bytes;
}

std::optional<SettingsFrame> muteFrameBase(const RackTables& rack, int slot, int muteLevel,
                                           char letter) {
    if (!RackTables::validSlot(slot) || muteLevel < 0) {
        return std::nullopt;
    }
    const auto bandType = ByteFromText(rack.CurData[static_cast<std::size_t>(slot)].BandType);
    if (!bandType) {
        return std::nullopt;
    }
    SettingsFrame frame{};
    frame[0] = kFrameStart;
    frame[1] = 0;
    frame[2] = static_cast<std::uint8_t>(letter);
    frame[6] = static_cast<std::uint8_t>(std::min(muteLevel, kMaxFrameMuteLevel));
    frame[11] = *bandType;
    return frame;
}

} // namespace

QString FrequencyText(int f1, int f2, int f3, std::int32_t decimalSeparatorCode) {
    const QString middle = QStringLiteral("%1").arg(f2, 2, 10, QLatin1Char('0'));
    return QString::number(f1) + middle.left(1) +
           QChar(static_cast<char16_t>(decimalSeparatorCode)) + middle.mid(1) +
           QStringLiteral("%1").arg(f3, 2, 10, QLatin1Char('0'));
}

std::optional<std::array<std::uint8_t, 3>> FrequencyBytes(const QString& frequency) {
    if (frequency.size() != 7) {
        return std::nullopt;
    }
    for (int i : {0, 1, 2, 4, 5, 6}) {
        if (!isDigit(frequency.at(i))) {
            return std::nullopt;
        }
    }
    return std::array<std::uint8_t, 3>{twoDigits(frequency.at(0), frequency.at(1)),
                                       twoDigits(frequency.at(2), frequency.at(4)),
                                       twoDigits(frequency.at(5), frequency.at(6))};
}

std::optional<std::uint8_t> ByteFromText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < 0 || value > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<SettingsFrame> BuildNameFrame(const RackTables& rack, int slot, int muteLevel) {
    auto frame = muteFrameBase(rack, slot, muteLevel, 'M');
    if (!frame) {
        return std::nullopt;
    }
    const auto name = nameBytes(rack.CurData[static_cast<std::size_t>(slot)].Name);
    if (!name) {
        return std::nullopt;
    }
    std::copy_n(name->begin(), 3, frame->begin() + 3);
    std::copy_n(name->begin() + 3, 3, frame->begin() + 7);
    return frame;
}

std::optional<SettingsFrame> BuildMuteFrame(const RackTables& rack, int slot, int muteLevel) {
    return muteFrameBase(rack, slot, muteLevel, 'm');
}

std::optional<SettingsFrame> BuildFrequencyFrame(const RackTables& rack, int slot) {
    if (!RackTables::validSlot(slot)) {
        return std::nullopt;
    }
    const SettingsRow& row = rack.CurData[static_cast<std::size_t>(slot)];
    const auto bytes = FrequencyBytes(row.Frequency);
    const auto mute = ByteFromText(row.MuteLevel);
    if (!bytes || !mute) {
        return std::nullopt;
    }
    SettingsFrame frame{};
    frame[0] = kFrameStart;
    frame[2] = 'I';
    std::copy(bytes->begin(), bytes->end(), frame.begin() + 3);
    frame[6] = *mute;
    frame[10] = 1;
    int sum = 0;
    for (int i = 3; i <= 11; ++i) {
        sum += frame[static_cast<std::size_t>(i)];
    }
    auto checksum = static_cast<std::uint8_t>(sum % 256);
    if (checksum == kFrameStart) {
        // A checksum equal to the frame start would look like the start of a frame.
        frame[10] = 0;
        checksum = kFrameStart - 1;
    }
    frame[12] = checksum;
    return frame;
}

} // namespace k7
