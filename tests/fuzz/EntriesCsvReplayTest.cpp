// Replays fixed and seeded inputs through the CSV reader's fuzz target, so that every build
// (and the sanitizer build) runs it.
// The target's own source, its entry point renamed, so that the four replays share one program.
#define LLVMFuzzerTestOneInput FuzzEntriesCsv
#include "EntriesCsvFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

void Feed(const QByteArray& bytes) {
    FuzzEntriesCsv(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                   static_cast<std::size_t>(bytes.size()));
}

const QByteArray kValid = "\xEF\xBB\xBFname,frequency,mute\r\nVox,606.600,5\r\n\" a,\"\"b \","
                          "610.025,10\r\n\r\nx ,  612 ,\n\"\",\"\",\"\"\n";

TEST(EntriesCsvReplay, FixedInputs) {
    Feed(QByteArray());
    Feed(kValid);
    Feed(kValid.left(kValid.size() / 2));
    Feed("name,frequency,mute\r\n\"a\rb\",1,2\r\n\"c\r\",3,4\r\r\n");
    Feed("name,frequency,mute\n\" a \",1,2\n"); // spaces kept inside quotes only
    Feed("name,frequency,mute\n\"unclosed,1,2\n");
    Feed("name,frequency,mute\n\xC3\x28,1,2\n");
    Feed(QByteArray(300 * 1024, '\n'));
    // A name that starts with a byte order mark, written at the start of a line.
    Feed(QByteArray("name,frequency,mute\n\t\xEF\xBB\xBF,,", 26));
    Feed("\xEF\xBB\xBF\xEF\xBB\xBFname,frequency,mute\n");
    Feed("name,frequency,mute\n\"a\nb\",1,2\n\"c\r\n\",,\n");
}

TEST(EntriesCsvReplay, SeededRandomMutations) {
    std::mt19937 random(11);
    for (int run = 0; run < 2000; ++run) {
        QByteArray text = kValid;
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits; ++e) {
            const auto at = static_cast<qsizetype>(random() % static_cast<unsigned>(text.size()));
            const char pick[] = {',', '"', '\n', '\r', ' ', 'a', '\xC3', '\0'};
            switch (random() % 3) {
            case 0:
                text[at] = pick[random() % sizeof(pick)];
                break;
            case 1:
                text.remove(at, static_cast<qsizetype>(random() % 5));
                break;
            default:
                text.insert(at, pick[random() % sizeof(pick)]);
                break;
            }
            if (text.isEmpty()) {
                break;
            }
        }
        Feed(text);
    }
}

} // namespace
