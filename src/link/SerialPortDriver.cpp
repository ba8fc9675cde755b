#include "SerialPortDriver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSerialPort>

#include <cstring>

namespace k7 {

struct SerialPortDriver::Port {
    DeviceEntry entry;
    QSerialPort serial;
    std::uint32_t readTimeoutMs = 0;
    std::uint32_t writeTimeoutMs = 0;
};

SerialPortDriver::SerialPortDriver(DeviceDirectory directory) : directory_(std::move(directory)) {}

SerialPortDriver::~SerialPortDriver() = default;

SerialPortDriver::Port* SerialPortDriver::find(FT_HANDLE handle) {
    const auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second.get();
}

FT_STATUS SerialPortDriver::FT_CreateDeviceInfoList(std::uint32_t* numDevices) {
    listed_ = directory_.scan();
    listMade_ = true;
    if (!numDevices) {
        return FT_INVALID_PARAMETER;
    }
    *numDevices = static_cast<std::uint32_t>(listed_.size());
    return FT_OK;
}

FT_STATUS SerialPortDriver::FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags,
                                                   std::uint32_t* type, std::uint32_t* id,
                                                   std::uint32_t* locId, char* serialNumber,
                                                   char* description, FT_HANDLE* handle) {
    if (!listMade_) {
        listed_ = directory_.scan();
        listMade_ = true;
    }
    if (index >= listed_.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    const DeviceEntry& entry = listed_[index];
    FT_HANDLE openHandle = 0;
    for (const auto& [h, port] : open_) {
        if (port->entry.portPath == entry.portPath) {
            openHandle = h;
        }
    }
    if (flags) {
        *flags = openHandle != 0 ? 1u : 0u;
    }
    if (type) {
        *type = 5; // a USB UART of the 232R kind; the station does not look at it
    }
    if (id) {
        *id = entry.id;
    }
    if (locId) {
        *locId = entry.location;
    }
    if (serialNumber) {
        std::memset(serialNumber, 0, kSerialNumberSize);
        const QByteArray text = entry.serial.left(kSerialNumberSize - 1);
        std::memcpy(serialNumber, text.constData(), static_cast<std::size_t>(text.size()));
    }
    if (description) {
        std::memset(description, 0, kDescriptionSize);
        const QByteArray text = entry.description.left(kDescriptionSize - 1);
        std::memcpy(description, text.constData(), static_cast<std::size_t>(text.size()));
    }
    if (handle) {
        *handle = openHandle;
    }
    return FT_OK;
}

FT_STATUS SerialPortDriver::FT_Open(int index, FT_HANDLE* handle) {
    if (!handle) {
        return FT_INVALID_PARAMETER;
    }
    const std::vector<DeviceEntry> devices = listMade_ ? listed_ : directory_.scan();
    if (index < 0 || index >= static_cast<int>(devices.size())) {
        return FT_DEVICE_NOT_FOUND;
    }
    auto port = std::make_unique<Port>();
    port->entry = devices[static_cast<std::size_t>(index)];
    for (const auto& [h, other] : open_) {
        if (other->entry.portPath == port->entry.portPath) {
            return FT_DEVICE_NOT_OPENED;
        }
    }
    port->serial.setPortName(port->entry.portPath);
    if (!port->serial.open(QIODevice::ReadWrite)) {
        return FT_DEVICE_NOT_OPENED;
    }
    const FT_HANDLE h = nextHandle_++;
    open_[h] = std::move(port);
    *handle = h;
    return FT_OK;
}

FT_STATUS SerialPortDriver::FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baudRate) {
    Port* port = find(handle);
    if (!port) {
        return FT_INVALID_HANDLE;
    }
    if (baudRate == 0 || baudRate > 3'000'000) {
        return FT_INVALID_BAUD_RATE;
    }
    return port->serial.setBaudRate(static_cast<qint32>(baudRate)) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialPortDriver::FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength,
                                                      std::uint8_t stopBits, std::uint8_t parity) {
    Port* port = find(handle);
    if (!port) {
        return FT_INVALID_HANDLE;
    }
    static constexpr QSerialPort::Parity kParity[] = {
        QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity,
        QSerialPort::MarkParity, QSerialPort::SpaceParity};
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4) {
        return FT_INVALID_PARAMETER;
    }
    const bool ok =
        port->serial.setDataBits(wordLength == 8 ? QSerialPort::Data8 : QSerialPort::Data7) &&
        port->serial.setStopBits(stopBits == 0 ? QSerialPort::OneStop : QSerialPort::TwoStop) &&
        port->serial.setParity(kParity[parity]);
    return ok ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialPortDriver::FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flowControl,
                                              std::uint8_t, std::uint8_t) {
    Port* port = find(handle);
    if (!port) {
        return FT_INVALID_HANDLE;
    }
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    switch (flowControl) {
    case 0x0000:
        break;
    case FT_FLOW_RTS_CTS:
        flow = QSerialPort::HardwareControl;
        break;
    case 0x0400:
        flow = QSerialPort::SoftwareControl;
        break;
    default:
        return FT_INVALID_PARAMETER; // DTR/DSR has no counterpart here
    }
    return port->serial.setFlowControl(flow) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialPortDriver::FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readTimeoutMs,
                                           std::uint32_t writeTimeoutMs) {
    Port* port = find(handle);
    if (!port) {
        return FT_INVALID_HANDLE;
    }
    port->readTimeoutMs = readTimeoutMs;
    port->writeTimeoutMs = writeTimeoutMs;
    return FT_OK;
}

FT_STATUS SerialPortDriver::FT_SetLatencyTimer(FT_HANDLE handle, std::uint8_t latencyMs) {
    Port* port = find(handle);
    if (!port) {
        return FT_INVALID_HANDLE;
    }
    if (latencyMs < 2) {
        return FT_INVALID_PARAMETER;
    }
    // The kernel driver takes the latency through sysfs. Where the operator's account may not
    // write it (no udev rule), the chip keeps its own value and the link still works: answers
    // then simply arrive later.
    if (!port->entry.latencyTimerPath.isEmpty()) {
        QFile file(port->entry.latencyTimerPath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QByteArray::number(latencyMs));
        }
    }
    return FT_OK;
}

FT_STATUS SerialPortDriver::FT_SetResetPipeRetryCount(FT_HANDLE handle, std::uint32_t) {
    // The kernel driver retries on its own; there is nothing to set.
    return find(handle) ? FT_OK : FT_INVALID_HANDLE;
}

FT_STATUS SerialPortDriver::FT_Close(FT_HANDLE handle) {
    return open_.erase(handle) > 0 ? FT_OK : FT_INVALID_HANDLE;
}

FT_STATUS SerialPortDriver::FT_Write(FT_HANDLE handle, const void* buffer,
                                     std::uint32_t bytesToWrite, std::uint32_t* bytesWritten) {
    if (bytesWritten) {
        *bytesWritten = 0;
    }
    Port* port = find(handle);
    if (!port) {
        return FT_INVALID_HANDLE;
    }
    if ((!buffer && bytesToWrite > 0) || !bytesWritten) {
        return FT_INVALID_PARAMETER;
    }
    QSerialPort& serial = port->serial;
    const qint64 queued = serial.write(static_cast<const char*>(buffer), bytesToWrite);
    if (queued != static_cast<qint64>(bytesToWrite)) {
        serial.clear(QSerialPort::Output);
        return FT_IO_ERROR;
    }
    const std::uint32_t bound =
        port->writeTimeoutMs > 0 ? port->writeTimeoutMs : kDefaultWriteTimeoutMs;
    QDeadlineTimer deadline(static_cast<qint64>(bound));
    while (serial.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!serial.waitForBytesWritten(static_cast<int>(deadline.remainingTime())) &&
            serial.error() != QSerialPort::TimeoutError) {
            break;
        }
    }
    const qint64 left = serial.bytesToWrite();
    *bytesWritten = static_cast<std::uint32_t>(bytesToWrite - left);
    if (left > 0) {
        // Whatever could not leave in time is dropped, so that a later write starts clean.
        serial.clear(QSerialPort::Output);
        serial.clearError();
        return FT_IO_ERROR;
    }
    serial.clearError();
    return FT_OK;
}

FT_STATUS SerialPortDriver::FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t bytesToRead,
                                    std::uint32_t* bytesReturned) {
    if (bytesReturned) {
        *bytesReturned = 0;
    }
    Port* port = find(handle);
    if (!port) {
        return FT_INVALID_HANDLE;
    }
    if ((!buffer && bytesToRead > 0) || !bytesReturned) {
        return FT_INVALID_PARAMETER;
    }
    QSerialPort& serial = port->serial;
    const std::uint32_t bound =
        port->readTimeoutMs > 0 ? port->readTimeoutMs : kDefaultReadTimeoutMs;
    QDeadlineTimer deadline(static_cast<qint64>(bound));
    serial.waitForReadyRead(0); // take in what the kernel already holds
    while (serial.bytesAvailable() < static_cast<qint64>(bytesToRead) && !deadline.hasExpired()) {
        if (!serial.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
            serial.error() != QSerialPort::TimeoutError && serial.error() != QSerialPort::NoError) {
            break;
        }
    }
    const QSerialPort::SerialPortError error = serial.error();
    serial.clearError();
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        return FT_IO_ERROR; // unplugged or failing: the caller sees a missing answer
    }
    const qint64 got = serial.read(static_cast<char*>(buffer), bytesToRead);
    *bytesReturned = got > 0 ? static_cast<std::uint32_t>(got) : 0;
    return FT_OK;
}

FT_STATUS SerialPortDriver::FT_Purge(FT_HANDLE handle, std::uint32_t mask) {
    Port* port = find(handle);
    if (!port) {
        return FT_INVALID_HANDLE;
    }
    if (mask == 0 || (mask & ~(FT_PURGE_RX | FT_PURGE_TX)) != 0) {
        return FT_INVALID_PARAMETER;
    }
    bool ok = true;
    if (mask & FT_PURGE_RX) {
        ok = port->serial.clear(QSerialPort::Input) && ok;
    }
    if (mask & FT_PURGE_TX) {
        ok = port->serial.clear(QSerialPort::Output) && ok;
    }
    return ok ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialPortDriver::FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes) {
    Port* port = find(handle);
    if (!port) {
        return FT_INVALID_HANDLE;
    }
    if (!rxBytes) {
        return FT_INVALID_PARAMETER;
    }
    port->serial.waitForReadyRead(0);
    const QSerialPort::SerialPortError error = port->serial.error();
    port->serial.clearError();
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        return FT_IO_ERROR;
    }
    *rxBytes = static_cast<std::uint32_t>(port->serial.bytesAvailable());
    return FT_OK;
}

FT_STATUS SerialPortDriver::FT_ListDevices(std::uint32_t* numDevices, void*, std::uint32_t flags) {
    if (!numDevices || flags != FT_LIST_NUMBER_ONLY) {
        return FT_INVALID_PARAMETER;
    }
    *numDevices = static_cast<std::uint32_t>(directory_.scan().size());
    return FT_OK;
}

} // namespace k7
