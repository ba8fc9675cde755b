// The receivers' labels: what the settings keep across a restart, the CSV in several scripts with
// commas and quotes, the forty-character rule counted in characters, and a file refused whole,
// naming its line, when one line cannot be taken.
#include "files/ReceiverLabels.h"
#include "platform/SettingsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace k7 {
namespace {

struct Store {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("settings.conf"));
    QtSettingsStore settings{file};
};

TEST(ReceiverLabels, SurviveARestartAndTheCsvRoundTripInEveryScript) {
    const std::vector<LabelRow> rows{
        {QStringLiteral("FT5A1B2C"),
         1,
         QStringLiteral("VOX_1_"),
         {QStringLiteral("Anna, \"Lead\" vocal"), QStringLiteral("Band"), LabelColour::Red}},
        {QStringLiteral("FT5A1B2E"),
         0,
         QString(),
         {QStringLiteral("山田 花子 🎤👩‍🎤"), QString(), LabelColour::None}},
        {QStringLiteral("FT5A1B2F"),
         4,
         QStringLiteral("SAX"),
         {QStringLiteral("مريم"), QStringLiteral(" spaced , group "), LabelColour::Pink}},
    };
    const QByteArray csv = EncodeLabelsCsv(rows);
    EXPECT_TRUE(csv.startsWith("serial,slot,name,label,group,colour\r\n"));
    EXPECT_TRUE(csv.contains("\"Anna, \"\"Lead\"\" vocal\",Band,red\r\n"));
    const LabelsCsvRead read = DecodeLabelsCsv(csv);
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    ASSERT_EQ(read.rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(read.rows[i].serial, rows[i].serial);
        EXPECT_EQ(read.rows[i].label, rows[i].label) << i;
    }

    Store store;
    {
        ReceiverLabels labels(store.settings);
        labels.SetAll(read.rows);
    }
    QtSettingsStore again(store.file);
    const ReceiverLabels restarted(again);
    ASSERT_EQ(restarted.all().size(), rows.size());
    for (const LabelRow& row : rows) {
        EXPECT_EQ(restarted.Of(row.serial), row.label);
    }
    EXPECT_TRUE(restarted.Of(QStringLiteral("NOT-KNOWN")).empty());
}

TEST(ReceiverLabels, FortyCharactersOfAnyScriptAreKeptAndTheFortyFirstRefused) {
    Store store;
    ReceiverLabels labels(store.settings);
    int told = 0;
    labels.AddObserver([&] { ++told; });
    const QString serial = QStringLiteral("FT000001");
    // Forty emoji are eighty UTF-16 units; a letter with a combining accent is one character.
    const QString emoji = QString(QStringLiteral("🎸")).repeated(40);
    const QString accented = QString(QStringLiteral("e\u0301")).repeated(40);
    for (const QString& text : {QString(QStringLiteral("漢")).repeated(40), emoji, accented}) {
        EXPECT_EQ(CharacterCount(text), 40);
        EXPECT_TRUE(labels.Set(serial, {text, text, LabelColour::Green}).isEmpty());
        EXPECT_EQ(labels.LabelOf(serial), text);
    }
    EXPECT_EQ(told, 3);

    for (const ReceiverLabel& refused :
         {ReceiverLabel{emoji + QStringLiteral("🎸"), {}, {}},
          ReceiverLabel{{}, QString(QLatin1Char('g')).repeated(41), {}},
          ReceiverLabel{QStringLiteral("two\nlines"), {}, {}}}) {
        EXPECT_FALSE(labels.Set(serial, refused).isEmpty());
    }
    EXPECT_EQ(labels.LabelOf(serial), accented) << "a refused label changes nothing";
    EXPECT_EQ(told, 3);

    EXPECT_TRUE(labels.Set(serial, {}).isEmpty()); // an empty label removes it
    EXPECT_TRUE(labels.all().empty());
}

TEST(ReceiverLabels, ABadLineRefusesTheWholeFileAndNamesTheLine) {
    const QByteArray good = "serial,slot,name,label,group,colour\r\nA1,1,VOX,Anna,Band,red\r\n"
                            "A2,,,Ben,,\r\n";
    ASSERT_TRUE(DecodeLabelsCsv(good).ok());
    const std::vector<std::pair<QByteArray, QString>> bad{
        {"A3,3,X,Cleo,Cast,mauve\r\n", QStringLiteral("colour \"mauve\"")},
        {"A1,3,X,Cleo,Cast,\r\n", QStringLiteral("serial number A1 is on an earlier line")},
        {",3,X,Cleo,Cast,\r\n", QStringLiteral("serial number is empty")},
        {"A3,3,X,Cleo\r\n", QStringLiteral("4 fields")},
        {"A3,3,X," + QByteArray(41, 'x') + ",,\r\n", QStringLiteral("41 characters")},
        {"A3,3,X,\"Cleo,,\r\n", QStringLiteral("quote that is not closed")},
    };
    for (const auto& [line, fault] : bad) {
        const LabelsCsvRead read = DecodeLabelsCsv(good + line + "A9,9,Z,Zoe,,\r\n");
        EXPECT_FALSE(read.ok()) << line.toStdString();
        EXPECT_EQ(read.errorLine, 4) << line.toStdString();
        EXPECT_TRUE(read.error.startsWith(QStringLiteral("Line 4"))) << read.error.toStdString();
        EXPECT_TRUE(read.error.contains(fault)) << read.error.toStdString();
        EXPECT_TRUE(read.rows.empty());
    }
    EXPECT_EQ(DecodeLabelsCsv("name,frequency,mute\r\n").errorLine, 1);
}

} // namespace
} // namespace k7
