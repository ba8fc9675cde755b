#include "TransferBlock.h"

#include "files/Windows1252.h"

#include <QLatin1StringView>

#include <algorithm>
#include <numeric>

namespace k7 {

namespace {

constexpr int kNameBytes = 6;
constexpr int kMuteBits = 0x3F;
constexpr int kFlagBits = 0xC0;
constexpr int kUploadCountAt = 2;
constexpr int kUploadEntriesAt = 3;
constexpr int kChecksumAt = kUploadAnswerSize - 1;

QString EntryText(int entry) {
    return QStringLiteral("Entry %1: ").arg(entry);
}

// F1, F2, F3 of "ddd.ddd" (either separator); none when it is not of that form.
std::optional<std::array<std::uint8_t, 3>> FrequencyBytes(const QString& text) {
    if (text.size() != 7 || (text[3] != QLatin1Char('.') && text[3] != QLatin1Char(','))) {
        return std::nullopt;
    }
    std::array<int, 6> d{};
    const int at[] = {0, 1, 2, 4, 5, 6};
    for (std::size_t i = 0; i < d.size(); ++i) {
        const char16_t c = text[at[i]].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        d[i] = c - u'0';
    }
    return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(d[0] * 10 + d[1]),
                                       static_cast<std::uint8_t>(d[2] * 10 + d[3]),
                                       static_cast<std::uint8_t>(d[4] * 10 + d[5])};
}

// A whole number of at most three digits; none otherwise.
std::optional<int> SmallNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= 0 && value <= 999 ? std::optional<int>(value) : std::nullopt;
}

} // namespace

DownloadBlock BuildDownloadBlock(const EditorDocument& document, int n,
                                 const std::function<bool(const QString&)>& fits) {
    DownloadBlock block;
    if (n < 1) {
        // A block of no entries would empty the receiver's store.
        block.refusal = QStringLiteral("No entries to send: the set is empty");
        return block;
    }
    if (n > kPresetEntries) {
        block.refusal = QStringLiteral("Too many entries to send: %1 (at most 40)").arg(n);
        return block;
    }
    std::vector<std::uint8_t> bytes{'R', 'S', 0x01, 'U', static_cast<std::uint8_t>(n)};
    for (int e = 1; e <= n; ++e) {
        const SettingsRow& entry = document.EditData[static_cast<std::size_t>(e)];
        const auto frequency = FrequencyBytes(entry.Frequency);
        if (!frequency) {
            block.refusal = EntryText(e) + QStringLiteral("frequency \"") + entry.Frequency +
                            QStringLiteral("\" is not of the form ddd.ddd");
            return block;
        }
        if (!fits(entry.Frequency)) {
            block.refusal = EntryText(e) + entry.Frequency +
                            QStringLiteral(" is outside the band of the chosen Rx");
            return block;
        }
        const auto mute = SmallNumber(entry.MuteLevel);
        const auto flags =
            SmallNumber(entry.BandType.isEmpty() ? QStringLiteral("0") : entry.BandType);
        if (!mute || !flags || *mute + *flags > 255) {
            block.refusal = EntryText(e) + QStringLiteral("band/type \"") + entry.BandType +
                            QStringLiteral("\" and mute level \"") + entry.MuteLevel +
                            QStringLiteral("\" do not fit one byte");
            return block;
        }
        QByteArray name = EncodeWindows1252(entry.Name).left(kNameBytes);
        name = name.leftJustified(kNameBytes, ' ');
        bytes.insert(bytes.end(), name.begin(), name.end());
        bytes.insert(bytes.end(), frequency->begin(), frequency->end());
        bytes.push_back(static_cast<std::uint8_t>(*mute + *flags));
    }
    block.bytes = std::move(bytes);
    return block;
}

std::uint8_t UploadChecksum(const UploadAnswer& answer) {
    return static_cast<std::uint8_t>(
        std::accumulate(answer.begin(), answer.begin() + kChecksumAt, 0u) & 0xFFu);
}

QString UploadPlaceholder(int band) {
    struct Placeholder {
        int band;
        QLatin1StringView frequency;
    };
    static constexpr Placeholder kTable[] = {
        {8, QLatin1StringView("850.400")},  {10, QLatin1StringView("850.400")},
        {9, QLatin1StringView("621.975")},  {11, QLatin1StringView("805.825")},
        {32, QLatin1StringView("805.825")}, {12, QLatin1StringView("751.750")},
        {13, QLatin1StringView("721.750")}, {14, QLatin1StringView("N/A")},
        {33, QLatin1StringView("751.525")}, {34, QLatin1StringView("665.500")},
        {35, QLatin1StringView("697.500")}, {36, QLatin1StringView("637.975")},
    };
    for (const Placeholder& row : kTable) {
        if (row.band == band) {
            return row.frequency;
        }
    }
    return QString();
}

QString ParseUpload(const UploadAnswer& answer, int band, QChar separator,
                    EditorDocument& document) {
    const int count = answer[kUploadCountAt];
    if (count > kPresetEntries) {
        return QStringLiteral("Upload refused: the Rx reports %1 entries (at most 40)").arg(count);
    }
    SettingsTable entries = document.EditData;
    for (int e = 1; e <= count; ++e) {
        const auto at = static_cast<std::size_t>(kUploadEntriesAt + kEntryBytes * (e - 1));
        QString name;
        for (std::size_t i = 0; i < kNameBytes; ++i) {
            const std::uint8_t b = answer[at + i];
            name += (b > 0x20 && b < 0x7F) ? QChar(b) : QLatin1Char('_');
        }
        QString digits;
        for (std::size_t i = kNameBytes; i < kNameBytes + 3; ++i) {
            if (answer[at + i] > 99) {
                return QStringLiteral("Upload refused: entry %1 has the frequency byte %2")
                    .arg(e)
                    .arg(answer[at + i]);
            }
            digits += QStringLiteral("%1").arg(answer[at + i], 2, 10, QLatin1Char('0'));
        }
        const std::uint8_t mute = answer[at + kNameBytes + 3];
        entries[static_cast<std::size_t>(e)] =
            SettingsRow{name, digits.left(3) + separator + digits.mid(3),
                        QString::number(mute & kMuteBits), QString::number(mute & kFlagBits)};
    }
    QString placeholder = UploadPlaceholder(band);
    placeholder.replace(QLatin1Char('.'), separator);
    for (int e = count + 1; e <= kPresetEntries; ++e) {
        const QString name = QStringLiteral("User%1").arg(e);
        entries[static_cast<std::size_t>(e)] =
            SettingsRow{name, placeholder, QStringLiteral("5"), QStringLiteral("0")};
        document.EditNames[static_cast<std::size_t>(e)] = name;
    }
    document.EditData = entries;
    document.EntryCount = count;
    return QString();
}

} // namespace k7
