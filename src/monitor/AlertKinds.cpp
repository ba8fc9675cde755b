#include "AlertKinds.h"

namespace k7 {
namespace {

struct KindInfo {
    const char* token;
    const char* caption;
    QColor colour;
    int urgency;
};

// A receiver that is gone first, then a silent one, then lost RF (the audience hears it), then
// the battery that is about to go, then quiet audio (often only a pause).
const std::array<KindInfo, kAlertKinds> kKinds{{
    {"battery", "Battery low", QColor(255, 150, 0), 2},
    {"rf-lost", "RF lost", QColor(255, 40, 40), 3},
    {"audio-silent", "Audio silent", QColor(70, 150, 255), 1},
    {"not-answering", "Not answering", QColor(230, 60, 230), 4},
    {"disconnected", "Disconnected", QColor(150, 150, 150), 5},
}};

const KindInfo& Info(AlertKind kind) {
    return kKinds[static_cast<std::size_t>(Index(kind))];
}

} // namespace

QLatin1StringView AlertToken(AlertKind kind) {
    return QLatin1StringView(Info(kind).token);
}

QString AlertCaption(AlertKind kind) {
    return QString::fromLatin1(Info(kind).caption);
}

QColor AlertColour(AlertKind kind) {
    return Info(kind).colour;
}

int AlertUrgency(AlertKind kind) {
    return Info(kind).urgency;
}

} // namespace k7
