// The CSV text of a set of entries: what the writer quotes, what the reader accepts from
// spreadsheets, where it stops and why, and how names are reduced to what a receiver shows.
#include "files/EntriesCsv.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

TEST(EntriesCsv, WritesTheHeaderAndQuotesOnlyWhatNeedsIt) {
    const std::vector<CsvEntry> entries{
        {QStringLiteral("Vox"), QStringLiteral("606.600"), QStringLiteral("5")},
        {QStringLiteral("a,\"b"), QStringLiteral("610.025"), QStringLiteral("10")}};
    EXPECT_EQ(EncodeEntriesCsv(entries),
              QByteArray("name,frequency,mute\r\nVox,606.600,5\r\n\"a,\"\"b\",610.025,10\r\n"));
    const CsvRead read = DecodeEntriesCsv(EncodeEntriesCsv(entries));
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].name, QStringLiteral("a,\"b"));
    EXPECT_EQ(read.entries[1].mute, QStringLiteral("10"));
    EXPECT_EQ(read.entries[1].line, 3);
}

TEST(EntriesCsv, ReadsWhatSpreadsheetsWrite) {
    // A byte order mark, LF ends, a header in capitals, spaces around fields, an empty line,
    // UTF-8 names and no line end at the close.
    const CsvRead read = DecodeEntriesCsv(
        "\xEF\xBB\xBFName, Frequency ,MUTE\n Zo\xC3\xAB , 606.6 , 7\n\n\"x y\",607,\n");
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0].name, QStringLiteral("Zo\u00EB"));
    EXPECT_EQ(read.entries[0].frequency, QStringLiteral("606.6"));
    EXPECT_EQ(read.entries[0].mute, QStringLiteral("7"));
    EXPECT_EQ(read.entries[1].name, QStringLiteral("x y"));
    EXPECT_EQ(read.entries[1].mute, QString());
    EXPECT_EQ(read.entries[1].line, 4);
}

TEST(EntriesCsv, ReadsBackEveryFieldItWrites) {
    // A name that starts with a byte order mark, line breaks, spaces at the ends, a quote alone.
    const QString mark{QChar(QChar::ByteOrderMark)};
    const std::vector<CsvEntry> entries{{mark, QString(), QString()},
                                        {QStringLiteral("a\r\nb"), QStringLiteral("x\ny"), {}},
                                        {QStringLiteral(" s "), QStringLiteral("\""), mark + "m"},
                                        {QStringLiteral("last"), QStringLiteral("1"), {}}};
    const QByteArray bytes = EncodeEntriesCsv(entries);
    EXPECT_TRUE(bytes.startsWith("name,frequency,mute\r\n\"\xEF\xBB\xBF\",,\r\n")) << bytes.data();
    const CsvRead read = DecodeEntriesCsv(bytes);
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    ASSERT_EQ(read.entries.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(read.entries[i].name, entries[i].name) << i;
        EXPECT_EQ(read.entries[i].frequency, entries[i].frequency) << i;
        EXPECT_EQ(read.entries[i].mute, entries[i].mute) << i;
    }
    EXPECT_EQ(read.entries[2].line, 6) << "an entry's line is where it starts";
    EXPECT_EQ(read.entries[3].line, 7);
}

TEST(EntriesCsv, DropsAByteOrderMarkOnlyAtTheStartOfTheFile) {
    // The fuzzer's find: a mark after a tab, the tab trimmed, the mark kept as the name.
    const CsvRead found = DecodeEntriesCsv(QByteArray("name,frequency,mute\n\t\xEF\xBB\xBF,,", 26));
    ASSERT_TRUE(found.ok()) << found.error.toStdString();
    ASSERT_EQ(found.entries.size(), 1u);
    EXPECT_EQ(found.entries[0].name, QString(QChar(QChar::ByteOrderMark)));
    const CsvRead atLineStart = DecodeEntriesCsv("name,frequency,mute\n\xEF\xBB\xBFx,1,2\n");
    ASSERT_EQ(atLineStart.entries.size(), 1u);
    EXPECT_EQ(atLineStart.entries[0].name, QStringLiteral("\uFEFFx"));
    EXPECT_EQ(DecodeEntriesCsv("\xEF\xBB\xBF\xEF\xBB\xBFname,frequency,mute\n").errorLine, 1)
        << "a second mark is text, and the header is not \"name\"";
}

TEST(EntriesCsv, StopsAtTheFirstLineItCannotReadAndNamesIt) {
    const auto refused = [](QByteArrayView bytes) { return DecodeEntriesCsv(bytes); };
    EXPECT_EQ(refused("").errorLine, 0);
    EXPECT_FALSE(refused("").ok());
    EXPECT_EQ(refused("name,freq,mute\r\n").errorLine, 1);
    EXPECT_EQ(refused("name,frequency,mute\r\na,606.600\r\n").errorLine, 2);
    EXPECT_EQ(refused("name,frequency,mute\r\na,606.600,5\r\n\"b,606.600,5\r\n").errorLine, 3);
    EXPECT_EQ(refused("name,frequency,mute\r\n\"b\"x,606.600,5\r\n").errorLine, 2);
    const CsvRead notUtf8 = refused("name,frequency,mute\r\nok,606.600,5\r\n\xFF\xFE,606.6,5\r\n");
    EXPECT_EQ(notUtf8.errorLine, 3);
    EXPECT_TRUE(notUtf8.error.contains(QStringLiteral("UTF-8")));
    EXPECT_EQ(refused("name,frequency,mute\nok,1,2\n\n\"x\ny\",1,2\ncut \xC3").errorLine, 6);
    EXPECT_EQ(refused("name,frequency,mute\n\"x\ny\"z,1,2\n").errorLine, 3);
    EXPECT_FALSE(refused(QByteArray(kMaxCsvBytes + 1, 'a')).ok());
}

TEST(EntriesCsv, ReducesNamesToWhatAReceiverShows) {
    EXPECT_EQ(ReceiverName(QStringLiteral("Lead vocal")), QStringLiteral("Lead_v"));
    EXPECT_EQ(ReceiverName(QStringLiteral("Zo\u00EB \u20AC")), QStringLiteral("Zo\u00EB_\u20AC"));
    // Characters no single-byte receiver text holds, and controls, are left out.
    EXPECT_EQ(ReceiverName(QStringLiteral("\u674E\tB\u0081?x")), QStringLiteral("B?x"));
    EXPECT_EQ(ReceiverName(QString()), QString());
}

} // namespace
} // namespace k7
