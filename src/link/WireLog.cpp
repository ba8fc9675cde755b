#include "WireLog.h"

#include "platform/Clock.h"

namespace k7 {

WireLog::WireLog(Ftd2xx& inner, const Clock& clock) : inner_(inner), clock_(clock) {}

WireLog::~WireLog() {
    file_.close();
}

bool WireLog::open(const QString& path) {
    file_.setFileName(path);
    // Unbuffered: each line reaches the file at once, so a crash never loses the tail of the log.
    return file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
}

QByteArray WireLog::device(FT_HANDLE handle) const {
    const auto it = indexOf_.find(handle);
    return it == indexOf_.end() ? QByteArray("-") : QByteArray::number(it->second);
}

QByteArray WireLog::hex(const void* bytes, std::uint32_t count) {
    return QByteArray(static_cast<const char*>(bytes), static_cast<qsizetype>(count))
        .toHex(' ')
        .toUpper();
}

void WireLog::line(const QByteArray& device, const char* event, FT_STATUS status,
                   const QByteArray& payload) {
    if (!file_.isOpen()) {
        return;
    }
    const double ms = static_cast<double>(clock_.nowMicros()) / 1000.0;
    QByteArray text = QByteArray::number(ms, 'f', 3);
    text += ' ';
    text += device;
    text += ' ';
    text += event;
    text += ' ';
    text += QByteArray::number(status);
    if (!payload.isEmpty()) {
        text += ' ';
        text += payload;
    }
    text += '\n';
    file_.write(text);
}

FT_STATUS WireLog::FT_CreateDeviceInfoList(std::uint32_t* numDevices) {
    const FT_STATUS status = inner_.FT_CreateDeviceInfoList(numDevices);
    line("-", "COUNT", status, QByteArray::number(numDevices ? *numDevices : 0));
    return status;
}

FT_STATUS WireLog::FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags,
                                          std::uint32_t* type, std::uint32_t* id,
                                          std::uint32_t* locId, char* serialNumber,
                                          char* description, FT_HANDLE* handle) {
    return inner_.FT_GetDeviceInfoDetail(index, flags, type, id, locId, serialNumber, description,
                                         handle);
}

FT_STATUS WireLog::FT_Open(int index, FT_HANDLE* handle) {
    const FT_STATUS status = inner_.FT_Open(index, handle);
    if (status == FT_OK && handle) {
        indexOf_[*handle] = index;
    }
    line(QByteArray::number(index), "OPEN", status, {});
    return status;
}

FT_STATUS WireLog::FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baudRate) {
    const FT_STATUS status = inner_.FT_SetBaudRate(handle, baudRate);
    line(device(handle), "CONFIG", status, "baud " + QByteArray::number(baudRate));
    return status;
}

FT_STATUS WireLog::FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength,
                                             std::uint8_t stopBits, std::uint8_t parity) {
    const FT_STATUS status = inner_.FT_SetDataCharacteristics(handle, wordLength, stopBits, parity);
    line(device(handle), "CONFIG", status,
         "data " + QByteArray::number(wordLength) + ' ' + QByteArray::number(stopBits) + ' ' +
             QByteArray::number(parity));
    return status;
}

FT_STATUS WireLog::FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flowControl, std::uint8_t xon,
                                     std::uint8_t xoff) {
    const FT_STATUS status = inner_.FT_SetFlowControl(handle, flowControl, xon, xoff);
    line(device(handle), "CONFIG", status, "flow " + QByteArray::number(flowControl));
    return status;
}

FT_STATUS WireLog::FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readTimeoutMs,
                                  std::uint32_t writeTimeoutMs) {
    const FT_STATUS status = inner_.FT_SetTimeouts(handle, readTimeoutMs, writeTimeoutMs);
    line(device(handle), "CONFIG", status,
         "timeouts " + QByteArray::number(readTimeoutMs) + ' ' +
             QByteArray::number(writeTimeoutMs));
    return status;
}

FT_STATUS WireLog::FT_SetLatencyTimer(FT_HANDLE handle, std::uint8_t latencyMs) {
    const FT_STATUS status = inner_.FT_SetLatencyTimer(handle, latencyMs);
    line(device(handle), "CONFIG", status, "latency " + QByteArray::number(latencyMs));
    return status;
}

FT_STATUS WireLog::FT_SetResetPipeRetryCount(FT_HANDLE handle, std::uint32_t count) {
    const FT_STATUS status = inner_.FT_SetResetPipeRetryCount(handle, count);
    line(device(handle), "CONFIG", status, "retry " + QByteArray::number(count));
    return status;
}

FT_STATUS WireLog::FT_Close(FT_HANDLE handle) {
    const FT_STATUS status = inner_.FT_Close(handle);
    line(device(handle), "CLOSE", status, {});
    return status;
}

FT_STATUS WireLog::FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t bytesToWrite,
                            std::uint32_t* bytesWritten) {
    const FT_STATUS status = inner_.FT_Write(handle, buffer, bytesToWrite, bytesWritten);
    drainArmed_.erase(handle);
    line(device(handle), "TX", status, hex(buffer, bytesWritten ? *bytesWritten : 0));
    return status;
}

FT_STATUS WireLog::FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t bytesToRead,
                           std::uint32_t* bytesReturned) {
    const FT_STATUS status = inner_.FT_Read(handle, buffer, bytesToRead, bytesReturned);
    const auto armed = drainArmed_.find(handle);
    const bool drain = armed != drainArmed_.end() && armed->second == bytesToRead;
    if (armed != drainArmed_.end()) {
        drainArmed_.erase(armed);
    }
    line(device(handle), drain ? "DRAIN" : "RX", status,
         hex(buffer, bytesReturned ? *bytesReturned : 0));
    return status;
}

FT_STATUS WireLog::FT_Purge(FT_HANDLE handle, std::uint32_t mask) {
    const FT_STATUS status = inner_.FT_Purge(handle, mask);
    line(device(handle), "PURGE", status, {});
    return status;
}

FT_STATUS WireLog::FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes) {
    const FT_STATUS status = inner_.FT_GetQueueStatus(handle, rxBytes);
    if (status == FT_OK && rxBytes && *rxBytes > 0) {
        drainArmed_[handle] = *rxBytes;
    } else {
        drainArmed_.erase(handle);
        // An empty queue is a drain that discards nothing: the log still shows it happened.
        if (status == FT_OK && rxBytes) {
            line(device(handle), "DRAIN", status, {});
        }
    }
    return status;
}

FT_STATUS WireLog::FT_ListDevices(std::uint32_t* numDevices, void* arg2, std::uint32_t flags) {
    const FT_STATUS status = inner_.FT_ListDevices(numDevices, arg2, flags);
    line("-", "COUNT", status, QByteArray::number(numDevices ? *numDevices : 0));
    return status;
}

} // namespace k7
