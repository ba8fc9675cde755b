// What the crew calls each receiver: a label ("Anna - Lead vocal"), a group and a colour, kept by
// the receiver's serial number so that they follow it to any slot, saved in the settings (section
// "Labels") and exchanged as CSV with the planning sheets of the crew.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace k7 {

class SettingsStore;

// The eight colours a receiver may be marked with, or none.
enum class LabelColour { None, Red, Orange, Yellow, Green, Cyan, Blue, Purple, Pink };
inline constexpr std::array<LabelColour, 8> kLabelColours{
    LabelColour::Red,  LabelColour::Orange, LabelColour::Yellow, LabelColour::Green,
    LabelColour::Cyan, LabelColour::Blue,   LabelColour::Purple, LabelColour::Pink};

// "red", "orange", ...; empty for none. The CSV, the settings and the crew view use these.
QString LabelColourName(LabelColour colour);
// From a name in any case; nullopt for a word that names none of them (an empty one is none).
std::optional<LabelColour> LabelColourFromName(const QString& name);
// As 0xRRGGBB, bright enough to read on the panel's black.
std::uint32_t LabelColourRgb(LabelColour colour);

struct ReceiverLabel {
    static constexpr int kMaxCharacters = 40;
    QString label;
    QString group;
    LabelColour colour = LabelColour::None;
    bool empty() const { return label.isEmpty() && group.isEmpty() && colour == LabelColour::None; }
    bool operator==(const ReceiverLabel&) const = default;
};

// The characters of a text as a reader counts them (a letter with its accents is one, so is an
// emoji), not its bytes or UTF-16 units.
int CharacterCount(const QString& text);
// Why a label or group cannot be kept (too long, a line break or another control character);
// empty when it can. what: "label" or "group".
QString LabelTextFault(const QString& text, const QString& what);

// A receiver's name with its label, where a line of text has room for both: "VOX_1_ - Anna";
// the name alone when there is no label.
QString NameWithLabel(const QString& name, const QString& label);

// One line of the labels' CSV: the serial decides; slot and name are for the reader.
struct LabelRow {
    QString serial;
    int slot = 0; // 0: not in the rack
    QString name;
    ReceiverLabel label;
};

struct LabelsCsvRead {
    std::vector<LabelRow> rows;
    int errorLine = 0; // 0: the file as a whole
    QString error;     // empty when every line was read
    bool ok() const { return error.isEmpty(); }
};

// The header "serial,slot,name,label,group,colour", then a line a row (RFC 4180 quoting, CR LF,
// UTF-8).
QByteArray EncodeLabelsCsv(const std::vector<LabelRow>& rows);
// Every line or none: a line that cannot be taken (fields, an empty or repeated serial, a label
// too long, an unknown colour) refuses the whole text, naming the line and its fault.
LabelsCsvRead DecodeLabelsCsv(QByteArrayView bytes);

class ReceiverLabels {
public:
    // Loads what the settings hold (a text that cannot be read gives no labels; it is kept until
    // the first change, so that a newer station's settings are not lost by a look).
    explicit ReceiverLabels(SettingsStore& settings);

    // The receiver's label (empty when it has none).
    ReceiverLabel Of(const QString& serial) const;
    QString LabelOf(const QString& serial) const { return Of(serial).label; }
    QString GroupOf(const QString& serial) const { return Of(serial).group; }

    // Sets the receiver's label (an empty one removes it) and saves. The fault when the label
    // cannot be kept (nothing changes then); empty when done.
    QString Set(const QString& serial, const ReceiverLabel& label);
    // Sets the labels of the rows' serials at once (after a CSV was read whole), and saves.
    void SetAll(const std::vector<LabelRow>& rows);
    // Every receiver that has a label, by serial number.
    const std::map<QString, ReceiverLabel>& all() const { return labels_; }

    // Told after every change.
    void AddObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

private:
    void save();
    void changed();

    SettingsStore& settings_;
    std::map<QString, ReceiverLabel> labels_;
    std::vector<std::function<void()>> observers_;
};

} // namespace k7
