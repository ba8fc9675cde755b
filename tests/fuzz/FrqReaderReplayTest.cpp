// Replays fixed and seeded inputs through the .frq reader fuzz target, so that every build
// (and the sanitizer build) runs it.
// The target's own source, its entry point renamed, so that the four replays share one program.
#define LLVMFuzzerTestOneInput FuzzFrqReader
#include "FrqReaderFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

void Feed(const QByteArray& bytes) {
    FuzzFrqReader(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                  static_cast<std::size_t>(bytes.size()));
}

QByteArray ValidFile() {
    return WellFormedLines().join("\r\n") + "\r\n";
}

TEST(FrqReaderReplay, FixedInputs) {
    const QByteArray valid = ValidFile();
    Feed(QByteArray());
    Feed(valid);
    for (char mode : {'\x00', '\x41', '\x8A', '\xC7', '\x13'}) {
        QByteArray file = valid;
        file[0] = mode;
        Feed(file);
        Feed(file.left(file.size() / 2));
        Feed(QByteArray(file).replace("613.575", "613,57\x80"));
        Feed(QByteArray(file).replace("\r\n\r\n", "\r\nx\r\n"));
    }
    Feed(QByteArray("V\nGlobal Mute\n") + QByteArray(100000, '\xff'));
    Feed(QByteArray("V\n99999999999\n5\n"));
    Feed(QByteArray(70 * 1024, '\n'));
}

TEST(FrqReaderReplay, SeededRandomMutations) {
    std::mt19937 random(7);
    const QByteArray valid = ValidFile();
    for (int run = 0; run < 300; ++run) {
        QByteArray file = valid;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const auto at = static_cast<qsizetype>(random() % static_cast<unsigned>(file.size()));
            switch (random() % 3) {
            case 0:
                file[at] = static_cast<char>(random());
                break;
            case 1:
                file.remove(at, static_cast<qsizetype>(random() % 40));
                break;
            default:
                file.insert(at, QByteArray(static_cast<qsizetype>(random() % 20),
                                           static_cast<char>(random())));
            }
        }
        Feed(file);
    }
}

} // namespace
