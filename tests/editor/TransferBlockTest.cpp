// The transfer blocks without a receiver: the download block's bytes and its refusals, the
// upload answer read back (names, frequencies, the mute byte split, placeholders, refusals),
// and the upload's read loop against reads that trickle, stall or fail.
#include "editor/TransferBlock.h"
#include "editor/UploadRead.h"

#include <gtest/gtest.h>

#include <deque>

namespace k7 {
namespace {

EditorDocument Entries(std::initializer_list<SettingsRow> rows) {
    EditorDocument document;
    int e = 1;
    for (const SettingsRow& row : rows) {
        document.EditData[static_cast<std::size_t>(e++)] = row;
    }
    document.EntryCount = static_cast<int>(rows.size());
    return document;
}

const auto kAnyBand = [](const QString&) { return true; };

TEST(DownloadBlock, HoldsTheHeaderAndTenBytesAnEntry) {
    const EditorDocument document = Entries({{"Sax___", "850.400", "5", "64"},
                                             {"Ann", "613,575", "10", "0"},
                                             {"LongName", "606.600", "1", "192"}});
    const DownloadBlock block = BuildDownloadBlock(document, 3, kAnyBand);
    ASSERT_TRUE(block.refusal.isEmpty()) << block.refusal.toStdString();
    const std::vector<std::uint8_t> expected = {
        'R', 'S', 0x01, 'U', 3,                          //
        'S', 'a', 'x',  '_', '_', '_', 85, 4,  0,  69,   // "___" kept, 5 + 64
        'A', 'n', 'n',  ' ', ' ', ' ', 61, 35, 75, 10,   // three spaces; either separator
        'L', 'o', 'n',  'g', 'N', 'a', 60, 66, 0,  193}; // six characters at most
    EXPECT_EQ(block.bytes, expected);
    EXPECT_EQ(BuildDownloadBlock(document, 2, kAnyBand).bytes.size(), 25u);
}

TEST(DownloadBlock, RefusesWhatTheReceiverCouldNotTakeNamingTheEntry) {
    struct Case {
        SettingsRow row;
        const char* refusal;
    };
    const Case cases[] = {
        {{"A", "850.40", "5", "0"}, "Entry 2: frequency \"850.40\" is not of the form ddd.ddd"},
        {{"A", "850:400", "5", "0"}, "Entry 2: frequency \"850:400\""},
        {{"A", "8a0.400", "5", "0"}, "Entry 2: frequency \"8a0.400\""},
        {{"A", "999.999", "5", "0"}, "Entry 2: 999.999 is outside the band of the chosen Rx"},
        {{"A", "850.400", "10", "250"}, "Entry 2: band/type \"250\" and mute level \"10\""},
        {{"A", "850.400", "x", "0"}, "Entry 2: band/type \"0\" and mute level \"x\""},
        {{"A", "850.400", "5", "-64"}, "Entry 2: band/type \"-64\""},
    };
    const auto band = [](const QString& f) { return f != QLatin1String("999.999"); };
    for (const Case& c : cases) {
        const EditorDocument document = Entries({{"Good", "850.400", "5", "0"}, c.row});
        const DownloadBlock block = BuildDownloadBlock(document, 2, band);
        EXPECT_TRUE(block.bytes.empty());
        EXPECT_TRUE(block.refusal.startsWith(QLatin1String(c.refusal)))
            << block.refusal.toStdString();
    }
    EXPECT_EQ(BuildDownloadBlock(Entries({}), 0, kAnyBand).refusal,
              "No entries to send: the set is empty");
    EXPECT_TRUE(BuildDownloadBlock(Entries({}), 41, kAnyBand).bytes.empty());
}

UploadAnswer Answer(int count, std::initializer_list<std::array<std::uint8_t, 10>> entries) {
    UploadAnswer answer{};
    answer[0] = 'R';
    answer[1] = 'U';
    answer[2] = static_cast<std::uint8_t>(count);
    std::size_t at = 3;
    for (const auto& entry : entries) {
        std::copy(entry.begin(), entry.end(), answer.begin() + static_cast<long>(at));
        at += 10;
    }
    answer[403] = UploadChecksum(answer);
    return answer;
}

TEST(ParseUpload, ReadsTheEntriesAndFillsTheRestWithTheBandsPlaceholder) {
    EditorDocument document;
    const UploadAnswer answer = Answer(2, {{'V', 'O', 'X', ' ', 0x01, 0xE9, 85, 4, 0, 69},
                                           {'B', 'a', 's', 's', '_', '1', 6, 9, 99, 0xCA}});
    ASSERT_EQ(ParseUpload(answer, 8, QLatin1Char('.'), document), QString());
    EXPECT_EQ(document.EntryCount, 2);
    EXPECT_EQ(document.EditData[1], (SettingsRow{"VOX___", "850.400", "5", "64"}));
    EXPECT_EQ(document.EditData[2], (SettingsRow{"Bass_1", "060.999", "10", "192"}));
    EXPECT_EQ(document.EditData[40], (SettingsRow{"User40", "850.400", "5", "0"}));
    EXPECT_EQ(document.EditNames[3], "User3");
    EXPECT_EQ(UploadPlaceholder(36), "637.975");
    EXPECT_EQ(UploadPlaceholder(14), "N/A");
    EXPECT_EQ(UploadPlaceholder(7), "");

    // With the user's separator, as the other grids show frequencies.
    ASSERT_EQ(ParseUpload(answer, 8, QLatin1Char(','), document), QString());
    EXPECT_EQ(document.EditData[1].Frequency, "850,400");
    EXPECT_EQ(document.EditData[40].Frequency, "850,400");
}

TEST(ParseUpload, ASavedEntrySendsTheSameByteAgain) {
    EditorDocument document;
    for (int byte : {0, 5, 63, 64, 69, 128, 138, 192, 255}) {
        const auto b = static_cast<std::uint8_t>(byte);
        ASSERT_EQ(ParseUpload(Answer(1, {{'A', 'B', 'C', 'D', 'E', 'F', 61, 35, 75, b}}), 36,
                              QLatin1Char('.'), document),
                  QString());
        const DownloadBlock block = BuildDownloadBlock(document, 1, kAnyBand);
        ASSERT_EQ(block.bytes.size(), 15u);
        EXPECT_EQ(block.bytes[14], b);
        EXPECT_EQ(std::vector<std::uint8_t>(block.bytes.begin() + 5, block.bytes.begin() + 14),
                  (std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 'E', 'F', 61, 35, 75}));
    }
}

TEST(ParseUpload, RefusesACountAbove40OrAFrequencyByteAbove99AndChangesNothing) {
    EditorDocument document;
    document.EntryCount = 3;
    document.EditData[1] = {"Keep", "606.600", "5", "0"};
    const EditorDocument before = document;
    EXPECT_EQ(ParseUpload(Answer(41, {}), 36, QLatin1Char('.'), document),
              "Upload refused: the Rx reports 41 entries (at most 40)");
    EXPECT_EQ(ParseUpload(Answer(2, {{'A', 'A', 'A', 'A', 'A', 'A', 61, 35, 75, 5},
                                     {'B', 'B', 'B', 'B', 'B', 'B', 61, 100, 75, 5}}),
                          36, QLatin1Char('.'), document),
              "Upload refused: entry 2 has the frequency byte 100");
    EXPECT_EQ(document, before);
    EXPECT_EQ(ParseUpload(Answer(40, {}), 36, QLatin1Char('.'), document), QString());
    EXPECT_EQ(document.EditData[40].Name, "______");
}

// Reads served from a script: each step the bytes that come (taken from a counter) and the
// status, and the time the read takes.
struct ScriptedReads {
    struct Step {
        std::uint32_t bytes;
        FT_STATUS status = FT_OK;
        std::int64_t micros = 1000;
    };
    std::deque<Step> steps;
    std::int64_t now = 0;
    std::uint8_t next = 0;
    std::vector<std::size_t> asked;
    std::vector<FT_STATUS> empty;

    UploadReader reader() {
        UploadReader r;
        r.read = [this](std::span<std::uint8_t> into, std::uint32_t* got) {
            asked.push_back(into.size());
            const Step step = steps.empty() ? Step{0, FT_OK, 1'000'000} : steps.front();
            if (!steps.empty()) {
                steps.pop_front();
            }
            now += step.micros;
            *got = std::min<std::uint32_t>(step.bytes, static_cast<std::uint32_t>(into.size()));
            for (std::uint32_t i = 0; i < *got; ++i) {
                into[i] = next++;
            }
            return step.status;
        };
        r.nowMicros = [this] { return now; };
        r.emptyRead = [this](FT_STATUS status) { empty.push_back(status); };
        return r;
    }
};

TEST(UploadRead, AppendsPartialReadsUntilTheAnswerIsComplete) {
    ScriptedReads reads;
    reads.steps = {{100}, {4, FT_IO_ERROR}, {300}};
    UploadAnswer answer{};
    const UploadRead read = ReadUploadAnswer(answer, reads.reader());
    EXPECT_EQ(read.end, UploadReadEnd::Complete);
    EXPECT_EQ(read.bytes, 404u);
    EXPECT_EQ(reads.asked, (std::vector<std::size_t>{404, 304, 300}));
    for (std::size_t i = 0; i < answer.size(); ++i) {
        ASSERT_EQ(answer[i], static_cast<std::uint8_t>(i)) << i;
    }
}

TEST(UploadRead, GivesUpOnAnEmptyReadAFailedReadOrAfterThreeSeconds) {
    ScriptedReads silent;
    silent.steps = {{0, FT_IO_ERROR, 1'000'000}};
    UploadAnswer answer{};
    EXPECT_EQ(ReadUploadAnswer(answer, silent.reader()).end, UploadReadEnd::TimedOut);
    EXPECT_EQ(silent.empty, (std::vector<FT_STATUS>{FT_IO_ERROR}));

    ScriptedReads failing;
    failing.steps = {{10}, {0, FT_DEVICE_NOT_OPENED}};
    const UploadRead failed = ReadUploadAnswer(answer, failing.reader());
    EXPECT_EQ(failed.end, UploadReadEnd::ReadError);
    EXPECT_EQ(failed.status, FT_DEVICE_NOT_OPENED);
    EXPECT_TRUE(failing.empty.empty());

    // A receiver that trickles a byte a second cannot hold the station.
    ScriptedReads trickle;
    for (int i = 0; i < 404; ++i) {
        trickle.steps.push_back({1, FT_OK, 1'000'000});
    }
    const UploadRead slow = ReadUploadAnswer(answer, trickle.reader());
    EXPECT_EQ(slow.end, UploadReadEnd::TimedOut);
    EXPECT_EQ(slow.bytes, 3u);
    EXPECT_EQ(trickle.now, 3'000'000);
    EXPECT_TRUE(trickle.empty.empty());

    // Without a clock: three reads.
    ScriptedReads noClock;
    noClock.steps = {{1}, {1}, {1}, {1}};
    UploadReader reader = noClock.reader();
    reader.nowMicros = nullptr;
    EXPECT_EQ(ReadUploadAnswer(answer, reader).bytes, 3u);
}

} // namespace
} // namespace k7
