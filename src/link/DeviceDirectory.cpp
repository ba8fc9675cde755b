#include "DeviceDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace k7 {
namespace {

constexpr std::uint32_t kFtdiVendor = 0x0403;

QByteArray attribute(const QString& folder, const char* name) {
    QFile file(folder + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().trimmed();
}

// The USB device folder above a tty of a USB serial driver: the first folder up the tree that
// carries a vendor id (tty -> interface -> device).
QString usbDeviceFolder(const QString& ttyFolder) {
    QString folder = QFileInfo(ttyFolder).canonicalFilePath();
    for (int up = 0; up < 4 && !folder.isEmpty(); ++up) {
        if (QFileInfo::exists(folder + QStringLiteral("/idVendor"))) {
            return folder;
        }
        folder = QFileInfo(folder).path();
    }
    return {};
}

} // namespace

DeviceDirectory::DeviceDirectory(QString sysfsRoot) : sysfsRoot_(std::move(sysfsRoot)) {}

DeviceDirectory::DeviceDirectory(std::vector<DeviceEntry> ports) : fixed_(std::move(ports)) {}

std::uint32_t DeviceDirectory::LocationId(int bus, const QString& portPath) {
    std::uint32_t id = static_cast<std::uint32_t>(std::clamp(bus, 0, 255)) << 24;
    const QStringList ports = portPath.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (int tier = 0; tier < std::min<int>(6, static_cast<int>(ports.size())); ++tier) {
        const auto port = static_cast<std::uint32_t>(std::clamp(ports.at(tier).toInt(), 0, 15));
        id |= port << (20 - 4 * tier);
    }
    return id;
}

std::vector<DeviceEntry> DeviceDirectory::scan() const {
    if (fixed_) {
        return *fixed_;
    }
    // The USB serial bus lists every tty of a USB serial driver; without it, the tty class.
    QStringList ttys;
    const QDir bus(sysfsRoot_ + QStringLiteral("/bus/usb-serial/devices"));
    if (bus.exists()) {
        for (const QString& name : bus.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            ttys << bus.filePath(name);
        }
    } else {
        const QDir tty(sysfsRoot_ + QStringLiteral("/class/tty"));
        for (const QString& name : tty.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (QFileInfo::exists(tty.filePath(name) + QStringLiteral("/device"))) {
                ttys << tty.filePath(name) + QStringLiteral("/device");
            }
        }
    }

    std::vector<DeviceEntry> out;
    for (const QString& tty : ttys) {
        const QString usb = usbDeviceFolder(tty);
        if (usb.isEmpty()) {
            continue;
        }
        bool ok = false;
        const std::uint32_t vendor = attribute(usb, "idVendor").toUInt(&ok, 16);
        if (!ok || vendor != kFtdiVendor) {
            continue; // other serial ports are neither listed nor counted
        }
        DeviceEntry entry;
        const QString name = tty.endsWith(QStringLiteral("/device"))
                                 ? QFileInfo(QFileInfo(tty).path()).fileName()
                                 : QFileInfo(tty).fileName();
        entry.portPath = QStringLiteral("/dev/") + name;
        entry.serial = attribute(usb, "serial");
        entry.description = attribute(usb, "product");
        entry.id = vendor << 16 | attribute(usb, "idProduct").toUInt(nullptr, 16);
        entry.location = LocationId(attribute(usb, "busnum").toInt(),
                                    QString::fromLatin1(attribute(usb, "devpath")));
        const QString latency =
            QFileInfo(tty).canonicalFilePath() + QStringLiteral("/latency_timer");
        if (QFileInfo::exists(latency)) {
            entry.latencyTimerPath = latency;
        }
        out.push_back(entry);
    }
    // A stable enumeration order: by port name, ttyUSB2 before ttyUSB10.
    std::sort(out.begin(), out.end(), [](const DeviceEntry& a, const DeviceEntry& b) {
        return std::pair(a.portPath.size(), a.portPath) < std::pair(b.portPath.size(), b.portPath);
    });
    return out;
}

} // namespace k7
