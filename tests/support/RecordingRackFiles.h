// The station's own file layer with a record of the calls the rack makes on it, and two
// stand-ins: the last file is a table the test gives (no disk), and its load or the snapshot
// can be made to fail. Everything else, the programming passes included, is DefaultFiles' own.
#pragma once

#include "files/DefaultFiles.h"
#include "rack/FileState.h"
#include "rack/RackTables.h"

#include <QString>
#include <QStringList>

namespace k7::test {

class RecordingRackFiles final : public DefaultFiles {
public:
    explicit RecordingRackFiles(const Wiring& wiring)
        : DefaultFiles(wiring), files_(wiring.files) {}

    QString LoadRackFile(const QString& name) override {
        calls << QStringLiteral("LoadRackFile:") + name;
        if (!loadResult.isNull()) {
            return loadResult;
        }
        files_.LoadData = loaded;
        return name;
    }
    void CopyLoadToCurrent() override {
        calls << QStringLiteral("CopyLoadToCurrent");
        DefaultFiles::CopyLoadToCurrent();
    }
    bool RackDiffers() override {
        calls << QStringLiteral("RackDiffers");
        return DefaultFiles::RackDiffers();
    }
    void AcceptLoadedFile() override {
        calls << QStringLiteral("AcceptLoadedFile");
        DefaultFiles::AcceptLoadedFile();
    }
    void CurrentFromRack() override {
        calls << QStringLiteral("CurrentFromRack");
        DefaultFiles::CurrentFromRack();
    }
    bool WriteRackSnapshot() override {
        calls << QStringLiteral("WriteRackSnapshot");
        return snapshotWrites && DefaultFiles::WriteRackSnapshot();
    }

    QStringList calls;
    QString loadResult; // null: the load succeeds with `loaded`
    SettingsTable loaded;
    bool snapshotWrites = true;

private:
    FileState& files_;
};

} // namespace k7::test
