// Which USB serial devices of FTDI make are attached, with serial number, description and a
// location id that follows the physical ports; or a fixed list of ports (pseudo-terminals in
// tests stand in for receivers this way).
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace k7 {

struct DeviceEntry {
    QString portPath;  // "/dev/ttyUSB0", or a pseudo-terminal
    QByteArray serial; // the factory serial number
    std::uint32_t location = 0;
    QByteArray description;
    std::uint32_t id = 0x04036001u; // USB vendor << 16 | product
    QString latencyTimerPath;       // where the kernel driver takes the latency; may be empty
};

class DeviceDirectory {
public:
    // The attached devices as the kernel lists them under the sysfs root ("/sys").
    explicit DeviceDirectory(QString sysfsRoot = QStringLiteral("/sys"));
    // Exactly these ports, always attached.
    explicit DeviceDirectory(std::vector<DeviceEntry> ports);

    std::vector<DeviceEntry> scan() const;

    // The location id of a USB device from its bus number and its port path ("2.3": port 3 of
    // the hub on port 2 of the root hub):
    //   bits 31..24  bus number (1..255)
    //   bits 23..20  port on the root hub, then 4 bits for each further hub tier, down to
    //   bits  3..0   the sixth tier; unused tiers are 0, ports above 15 count as 15.
    // Sorting by this number walks the ports bus by bus, port by port, depth first: a receiver
    // on port 1 comes before all behind a hub on port 2, whose own ports follow in order.
    static std::uint32_t LocationId(int bus, const QString& portPath);

private:
    std::optional<std::vector<DeviceEntry>> fixed_;
    QString sysfsRoot_;
};

} // namespace k7
