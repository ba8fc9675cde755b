#include "ReceiverLabels.h"

#include "EntriesCsv.h"
#include "platform/SettingsStore.h"

#include <QSet>
#include <QTextBoundaryFinder>

namespace k7 {

namespace {

struct ColourEntry {
    LabelColour colour;
    const char* name;
    std::uint32_t rgb;
};

constexpr std::array<ColourEntry, 8> kColourTable{{
    {LabelColour::Red, "red", 0xE53935},
    {LabelColour::Orange, "orange", 0xFB8C00},
    {LabelColour::Yellow, "yellow", 0xFDD835},
    {LabelColour::Green, "green", 0x43A047},
    {LabelColour::Cyan, "cyan", 0x00ACC1},
    {LabelColour::Blue, "blue", 0x1E88E5},
    {LabelColour::Purple, "purple", 0x8E24AA},
    {LabelColour::Pink, "pink", 0xF06292},
}};

const QString kSection = QStringLiteral("Labels");
const QString kKey = QStringLiteral("Receivers");
constexpr int kFields = 6;
const QStringList kHeader{QStringLiteral("serial"), QStringLiteral("slot"),
                          QStringLiteral("name"),   QStringLiteral("label"),
                          QStringLiteral("group"),  QStringLiteral("colour")};

LabelsCsvRead Refused(int line, const QString& why) {
    LabelsCsvRead read;
    read.errorLine = line;
    read.error = why;
    return read;
}

// The fault of one line's fields, or empty; row is filled as far as it goes.
QString ReadRow(const QStringList& fields, LabelRow& row) {
    if (fields.size() != kFields) {
        return QStringLiteral("it has %1 fields, not the 6 of the header").arg(fields.size());
    }
    row.serial = fields.at(0);
    if (row.serial.isEmpty()) {
        return QStringLiteral("the serial number is empty");
    }
    row.slot = fields.at(1).toInt(); // for the reader only: the serial decides
    row.name = fields.at(2);
    row.label.label = fields.at(3);
    row.label.group = fields.at(4);
    for (const auto& [text, what] :
         {std::pair{&row.label.label, "label"}, std::pair{&row.label.group, "group"}}) {
        if (QString fault = LabelTextFault(*text, QString::fromLatin1(what)); !fault.isEmpty()) {
            return fault;
        }
    }
    const std::optional<LabelColour> colour = LabelColourFromName(fields.at(5));
    if (!colour) {
        return QStringLiteral("the colour \"%1\" is none of red, orange, yellow, green, cyan, "
                              "blue, purple, pink (or empty)")
            .arg(fields.at(5));
    }
    row.label.colour = *colour;
    return {};
}

} // namespace

QString LabelColourName(LabelColour colour) {
    for (const ColourEntry& entry : kColourTable) {
        if (entry.colour == colour) {
            return QString::fromLatin1(entry.name);
        }
    }
    return {};
}

std::optional<LabelColour> LabelColourFromName(const QString& name) {
    if (name.isEmpty()) {
        return LabelColour::None;
    }
    for (const ColourEntry& entry : kColourTable) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) {
            return entry.colour;
        }
    }
    return std::nullopt;
}

std::uint32_t LabelColourRgb(LabelColour colour) {
    for (const ColourEntry& entry : kColourTable) {
        if (entry.colour == colour) {
            return entry.rgb;
        }
    }
    return 0;
}

int CharacterCount(const QString& text) {
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (graphemes.toNextBoundary() > 0) {
        ++count;
    }
    return count;
}

QString LabelTextFault(const QString& text, const QString& what) {
    if (const int count = CharacterCount(text); count > ReceiverLabel::kMaxCharacters) {
        return QStringLiteral("the %1 has %2 characters; at most %3 are kept")
            .arg(what)
            .arg(count)
            .arg(ReceiverLabel::kMaxCharacters);
    }
    // A line break or a control character would break the lines of the log, the tool tips and
    // the exports the label shows in.
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) {
            return QStringLiteral("the %1 holds a line break or another control character")
                .arg(what);
        }
    }
    return {};
}

QString NameWithLabel(const QString& name, const QString& label) {
    return label.isEmpty() ? name : name + QStringLiteral(" - ") + label;
}

QByteArray EncodeLabelsCsv(const std::vector<LabelRow>& rows) {
    QString text = kHeader.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const LabelRow& row : rows) {
        const QStringList fields{
            row.serial,      row.slot > 0 ? QString::number(row.slot) : QString(),
            row.name,        row.label.label,
            row.label.group, LabelColourName(row.label.colour)};
        QStringList quoted;
        for (const QString& field : fields) {
            quoted << CsvQuoted(field);
        }
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

LabelsCsvRead DecodeLabelsCsv(QByteArrayView bytes) {
    if (bytes.size() > kMaxCsvBytes) {
        return Refused(0, QStringLiteral("The file is larger than %1 KiB: it is no list of labels.")
                              .arg(kMaxCsvBytes / 1024));
    }
    const CsvRecords records = ReadCsvRecords(bytes);
    if (!records.ok()) {
        return Refused(records.errorLine, records.error);
    }
    if (records.records.empty()) {
        return Refused(0, QStringLiteral("The file is empty: it has no header line \"%1\".")
                              .arg(kHeader.join(QLatin1Char(','))));
    }
    const CsvRecord& header = records.records.front();
    if (header.fields.size() != kFields ||
        !std::equal(kHeader.begin(), kHeader.end(), header.fields.begin(),
                    [](const QString& a, const QString& b) {
                        return a.compare(b, Qt::CaseInsensitive) == 0;
                    })) {
        return Refused(header.line, QStringLiteral("Line %1 is not the header line \"%2\".")
                                        .arg(header.line)
                                        .arg(kHeader.join(QLatin1Char(','))));
    }
    LabelsCsvRead read;
    QSet<QString> seen;
    for (std::size_t i = 1; i < records.records.size(); ++i) {
        const CsvRecord& record = records.records[i];
        LabelRow row;
        QString fault = ReadRow(record.fields, row);
        if (fault.isEmpty() && seen.contains(row.serial)) {
            fault =
                QStringLiteral("the serial number %1 is on an earlier line too").arg(row.serial);
        }
        if (!fault.isEmpty()) {
            return Refused(record.line, QStringLiteral("Line %1: %2.").arg(record.line).arg(fault));
        }
        seen.insert(row.serial);
        read.rows.push_back(row);
    }
    return read;
}

ReceiverLabels::ReceiverLabels(SettingsStore& settings) : settings_(settings) {
    const LabelsCsvRead read =
        DecodeLabelsCsv(settings_.GetSetting(kSection, kKey, QString()).toUtf8());
    for (const LabelRow& row : read.rows) {
        if (!row.label.empty()) {
            labels_[row.serial] = row.label;
        }
    }
}

ReceiverLabel ReceiverLabels::Of(const QString& serial) const {
    const auto found = labels_.find(serial);
    return found == labels_.end() ? ReceiverLabel{} : found->second;
}

QString ReceiverLabels::Set(const QString& serial, const ReceiverLabel& label) {
    if (serial.isEmpty()) {
        return QStringLiteral("The receiver's serial number is not known: it cannot be labelled.");
    }
    for (const auto& [text, what] :
         {std::pair{&label.label, "label"}, std::pair{&label.group, "group"}}) {
        if (QString fault = LabelTextFault(*text, QString::fromLatin1(what)); !fault.isEmpty()) {
            fault[0] = fault[0].toUpper();
            return fault + QLatin1Char('.');
        }
    }
    if (Of(serial) == label) {
        return {};
    }
    if (label.empty()) {
        labels_.erase(serial);
    } else {
        labels_[serial] = label;
    }
    save();
    changed();
    return {};
}

void ReceiverLabels::SetAll(const std::vector<LabelRow>& rows) {
    for (const LabelRow& row : rows) {
        if (row.label.empty()) {
            labels_.erase(row.serial);
        } else {
            labels_[row.serial] = row.label;
        }
    }
    save();
    changed();
}

void ReceiverLabels::save() {
    std::vector<LabelRow> rows;
    rows.reserve(labels_.size());
    for (const auto& [serial, label] : labels_) {
        rows.push_back(LabelRow{serial, 0, QString(), label});
    }
    settings_.SaveSetting(kSection, kKey, QString::fromUtf8(EncodeLabelsCsv(rows)));
}

void ReceiverLabels::changed() {
    for (const auto& observer : observers_) {
        observer();
    }
}

} // namespace k7
