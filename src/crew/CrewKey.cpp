#include "CrewKey.h"

#include <QRandomGenerator>

#include <array>

namespace k7 {

QString NewCrewKey() {
    std::array<quint32, 4> bits{};
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    QString key;
    key.reserve(kCrewKeyDigits);
    for (const quint32 word : bits) {
        key += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0'));
    }
    return key;
}

bool IsCrewKey(const QString& text) {
    if (text.size() != kCrewKeyDigits) {
        return false;
    }
    for (const QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) {
            return false;
        }
    }
    return true;
}

bool CrewKeyMatches(QByteArrayView expected, QByteArrayView given) {
    // A given key of another length still walks the whole expected key.
    unsigned difference = expected.size() == given.size() ? 0U : 1U;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const auto mine = static_cast<unsigned char>(expected[i]);
        const auto theirs = i < given.size() ? static_cast<unsigned char>(given[i])
                                             : static_cast<unsigned char>(~mine);
        difference |= static_cast<unsigned>(mine ^ theirs);
    }
    return difference == 0 && !expected.isEmpty();
}

} // namespace k7
