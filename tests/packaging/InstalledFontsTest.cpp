// The station as the package lays it out (the program in usr/bin, the atlas in
// usr/share/k7station, no fonts folder) takes Liberation Sans from the system's fonts, takes it
// from a fonts folder beside the atlas when there is one, and says on standard error when it
// finds it in neither, going on to an orderly stop. Each run sees only the fonts of its own
// fontconfig file.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kFontFiles[] = {QStringLiteral("LiberationSans-Regular.ttf"),
                              QStringLiteral("LiberationSans-Bold.ttf")};

class InstalledFontsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.filePath(QStringLiteral("root"));
        ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/usr/bin")));
        ASSERT_TRUE(QDir().mkpath(assets()));
        ASSERT_TRUE(QFile::copy(QStringLiteral(K7STATION_PATH), program()));
        ASSERT_TRUE(QFile::copy(QStringLiteral(K7_ASSET_DIR "/Graphics.tof"),
                                assets() + QStringLiteral("/Graphics.tof")));
    }

    QString assets() const { return root + QStringLiteral("/usr/share/k7station"); }
    QString program() const { return root + QStringLiteral("/usr/bin/k7station"); }

    // A fontconfig file whose only font folder is `fontDir` (none when empty).
    QString FontConfig(const QString& name, const QString& fontDir) {
        const QString file = dir.filePath(name + QStringLiteral(".conf"));
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("<?xml version=\"1.0\"?>\n<fontconfig>\n");
        if (!fontDir.isEmpty()) {
            out.write(QStringLiteral("<dir>%1</dir>\n").arg(fontDir).toUtf8());
        }
        out.write(QStringLiteral("<cachedir>%1</cachedir>\n</fontconfig>\n")
                      .arg(dir.filePath(name + QStringLiteral("-cache")))
                      .toUtf8());
        return file;
    }

    // Starts a one-second run on one simulated receiver with its own folders.
    std::unique_ptr<QProcess> Start(const QString& name, const QString& fontConfig) {
        auto station = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString home = dir.filePath(name);
        for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
            const QString folder = home + QLatin1Char('/') + QLatin1String(variable);
            QDir().mkpath(folder);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            env.insert(QLatin1String(variable), folder);
        }
        env.insert(QStringLiteral("FONTCONFIG_FILE"), fontConfig);
        station->setProcessEnvironment(env);
        station->start(program(), {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                   QStringLiteral("--simulate"), QStringLiteral("1"),
                                   QStringLiteral("--run-for"), QStringLiteral("1"),
                                   QStringLiteral("--app-dir"), home + QStringLiteral("/app")});
        return station;
    }

    // Waits for the run to end in order and gives its standard error.
    static QString Finish(QProcess& station) {
        EXPECT_TRUE(station.waitForFinished(60000));
        const QString errors = QString::fromLocal8Bit(station.readAllStandardError());
        EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(station.exitCode(), 0) << errors.toStdString();
        return errors;
    }

    QTemporaryDir dir;
    QString root;
};

TEST_F(InstalledFontsTest, TheSystemFontServesAndNoFontAtAllIsReported) {
    const QString buildFonts = QStringLiteral(K7_ASSET_DIR "/fonts");
    auto withSystemFont =
        Start(QStringLiteral("system"), FontConfig(QStringLiteral("system"), buildFonts));
    auto withoutFonts =
        Start(QStringLiteral("none"), FontConfig(QStringLiteral("none"), QString()));

    const QString quiet = Finish(*withSystemFont);
    EXPECT_FALSE(quiet.contains(QStringLiteral("font"))) << quiet.toStdString();

    const QString told = Finish(*withoutFonts);
    EXPECT_TRUE(told.contains(QStringLiteral("no font for the meter panel"))) << told.toStdString();
    EXPECT_TRUE(told.contains(assets() + QStringLiteral("/fonts"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("fonts-liberation2"))) << told.toStdString();
}

TEST_F(InstalledFontsTest, AFontsFolderBesideTheAtlasNeedsNoSystemFont) {
    const QString fonts = assets() + QStringLiteral("/fonts");
    ASSERT_TRUE(QDir().mkpath(fonts));
    for (const QString& file : kFontFiles) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(K7_ASSET_DIR "/fonts/") + file,
                                fonts + QLatin1Char('/') + file));
    }
    auto station = Start(QStringLiteral("folder"), FontConfig(QStringLiteral("folder"), QString()));
    const QString errors = Finish(*station);
    EXPECT_FALSE(errors.contains(QStringLiteral("font"))) << errors.toStdString();
}

} // namespace
