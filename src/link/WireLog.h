// A driver decorator that writes one line per call to a text file:
//   <ms since program start, 3 decimals> <device> <EVENT> <status> <payload>
// <device> is the enumeration index, or "-" for calls about no single device. Events: COUNT,
// OPEN, CLOSE, PURGE, CONFIG, TX, RX, DRAIN (a read that empties a queue just measured by
// FT_GetQueueStatus). Bytes are two hex digits separated by single spaces.
#pragma once

#include "Ftd2xx.h"

#include <QFile>
#include <QString>

#include <map>

namespace k7 {

class Clock;

class WireLog final : public Ftd2xx {
public:
    WireLog(Ftd2xx& inner, const Clock& clock);
    ~WireLog() override;
    // Opens (replaces) the log file; false when it cannot be written.
    bool open(const QString& path);
    QString errorString() const { return file_.errorString(); }

    FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* numDevices) override;
    FT_STATUS FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags, std::uint32_t* type,
                                     std::uint32_t* id, std::uint32_t* locId, char* serialNumber,
                                     char* description, FT_HANDLE* handle) override;
    FT_STATUS FT_Open(int index, FT_HANDLE* handle) override;
    FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baudRate) override;
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength,
                                        std::uint8_t stopBits, std::uint8_t parity) override;
    FT_STATUS FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flowControl, std::uint8_t xon,
                                std::uint8_t xoff) override;
    FT_STATUS FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readTimeoutMs,
                             std::uint32_t writeTimeoutMs) override;
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE handle, std::uint8_t latencyMs) override;
    FT_STATUS FT_SetResetPipeRetryCount(FT_HANDLE handle, std::uint32_t count) override;
    FT_STATUS FT_Close(FT_HANDLE handle) override;
    FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t bytesToWrite,
                       std::uint32_t* bytesWritten) override;
    FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesReturned) override;
    FT_STATUS FT_Purge(FT_HANDLE handle, std::uint32_t mask) override;
    FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes) override;
    FT_STATUS FT_ListDevices(std::uint32_t* numDevices, void* arg2, std::uint32_t flags) override;

private:
    QByteArray device(FT_HANDLE handle) const;
    void line(const QByteArray& device, const char* event, FT_STATUS status,
              const QByteArray& payload);
    static QByteArray hex(const void* bytes, std::uint32_t count);

    Ftd2xx& inner_;
    const Clock& clock_;
    QFile file_;
    std::map<FT_HANDLE, int> indexOf_;
    std::map<FT_HANDLE, std::uint32_t> drainArmed_;
};

} // namespace k7
