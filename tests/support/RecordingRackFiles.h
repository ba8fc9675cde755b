// What the rack engine asks of the rack's file, recorded on the way to the station's own
// RackFile; the snapshot can be made to fail as on a full disk.
#pragma once

#include "files/RackFile.h"

#include <QString>
#include <QStringList>

namespace k7::test {

class RecordingRackFiles final : public RackFiles {
public:
    // The station's RackFile, once the core that owns it is built.
    void Wrap(RackFile& files) { files_ = &files; }

    bool LoadAtStart() const override { return files_->LoadAtStart(); }
    QString CurrentFile() const override { return files_->CurrentFile(); }
    bool FileInForce() const override { return files_->FileInForce(); }
    FrqResult LoadRackFile(const QString& name) override {
        calls << QStringLiteral("LoadRackFile:") + name;
        return files_->LoadRackFile(name);
    }
    void CopyLoadToCurrent() override {
        calls << QStringLiteral("CopyLoadToCurrent");
        files_->CopyLoadToCurrent();
    }
    bool RackDiffers() override {
        calls << QStringLiteral("RackDiffers");
        return files_->RackDiffers();
    }
    void AcceptLoadedFile() override {
        calls << QStringLiteral("AcceptLoadedFile");
        files_->AcceptLoadedFile();
    }
    void CurrentFromRack() override {
        calls << QStringLiteral("CurrentFromRack");
        files_->CurrentFromRack();
    }
    bool TakeRescannedRack() override {
        calls << QStringLiteral("TakeRescannedRack");
        return files_->TakeRescannedRack();
    }
    bool WriteRackSnapshot() override {
        calls << QStringLiteral("WriteRackSnapshot");
        return snapshotWrites && files_->WriteRackSnapshot();
    }

    QStringList calls;
    bool snapshotWrites = true;

private:
    RackFile* files_ = nullptr;
};

} // namespace k7::test
