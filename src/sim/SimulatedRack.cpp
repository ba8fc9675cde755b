#include "SimulatedRack.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cstring>

namespace k7::sim {
namespace {

constexpr std::uint32_t kReceiverBaudRate = 56000;
constexpr std::uint32_t kChipType = 5;         // a USB UART of the 232R kind
constexpr std::uint32_t kChipId = 0x04036001u; // vendor 0x0403, product 0x6001
constexpr char kDescription[] = "K7 receiver USB";

std::int64_t transmissionMicros(std::size_t bytes, std::uint32_t baudRate) {
    // Ten bits a byte: start, eight data bits, stop.
    return static_cast<std::int64_t>(bytes) * 10 * 1'000'000 / std::max<std::uint32_t>(baudRate, 1);
}

} // namespace

SimulatedRack::SimulatedRack(const Scenario& scenario, Clock& clock)
    : clock_(clock), immediate_(scenario.immediateAnswers) {
    int position = 0;
    for (const ReceiverSetup& setup : scenario.receivers) {
        receivers_.push_back(std::make_unique<SimulatedReceiver>(setup, scenario.seed, position++));
    }
}

SimulatedRack::~SimulatedRack() = default;

bool SimulatedRack::plugged(int position) const {
    const ReceiverSetup& setup = receivers_[static_cast<std::size_t>(position)]->setup();
    const std::int64_t now = clock_.nowMicros();
    if (setup.plugInAtMs && now < *setup.plugInAtMs * 1000) {
        return false;
    }
    const auto& unplugAt = setup.faults.unplugAtMs;
    const auto& replugAt = setup.faults.replugAtMs;
    return !unplugAt || now < *unplugAt * 1000 || (replugAt && now >= *replugAt * 1000);
}

bool SimulatedRack::alive(const OpenDevice& device) const {
    if (!plugged(device.position)) {
        return false;
    }
    // A device that was unplugged since it was opened is a new device: the old handle is dead.
    const auto& unplugAt =
        receivers_[static_cast<std::size_t>(device.position)]->setup().faults.unplugAtMs;
    return !unplugAt || device.openedAt >= *unplugAt * 1000 ||
           clock_.nowMicros() < *unplugAt * 1000;
}

std::vector<int> SimulatedRack::attached() const {
    std::vector<int> out;
    for (int position = 0; position < receiverCount(); ++position) {
        if (plugged(position)) {
            out.push_back(position);
        }
    }
    return out;
}

bool SimulatedRack::isOpen(int position) const {
    for (const auto& [handle, device] : open_) {
        if (device.position == position && alive(device)) {
            return true;
        }
    }
    return false;
}

const SimulatedRack::LineSettings* SimulatedRack::settings(int position) const {
    for (const auto& [handle, device] : open_) {
        if (device.position == position && alive(device)) {
            return &device.line;
        }
    }
    return nullptr;
}

SimulatedRack::OpenDevice* SimulatedRack::find(FT_HANDLE handle, FT_STATUS* status) {
    const auto it = open_.find(handle);
    if (it == open_.end()) {
        *status = FT_INVALID_HANDLE;
        return nullptr;
    }
    if (!alive(it->second)) {
        *status = FT_IO_ERROR;
        return nullptr;
    }
    *status = FT_OK;
    return &it->second;
}

FT_STATUS SimulatedRack::FT_CreateDeviceInfoList(std::uint32_t* numDevices) {
    listed_ = attached();
    listMade_ = true;
    if (!numDevices) {
        return FT_INVALID_PARAMETER;
    }
    *numDevices = static_cast<std::uint32_t>(listed_.size());
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags,
                                                std::uint32_t* type, std::uint32_t* id,
                                                std::uint32_t* locId, char* serialNumber,
                                                char* description, FT_HANDLE* handle) {
    if (!listMade_) {
        listed_ = attached();
        listMade_ = true;
    }
    if (index >= listed_.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    const int position = listed_[index];
    const ReceiverSetup& setup = receivers_[static_cast<std::size_t>(position)]->setup();
    FT_HANDLE openHandle = 0;
    for (const auto& [h, device] : open_) {
        if (device.position == position) {
            openHandle = h;
        }
    }
    if (flags) {
        *flags = openHandle != 0 ? 1u : 0u;
    }
    if (type) {
        *type = kChipType;
    }
    if (id) {
        *id = kChipId;
    }
    if (locId) {
        *locId = setup.location;
    }
    if (serialNumber) {
        const QByteArray serial = setup.serial.toLatin1().left(kSerialNumberSize - 1);
        std::memset(serialNumber, 0, kSerialNumberSize);
        std::memcpy(serialNumber, serial.constData(), static_cast<std::size_t>(serial.size()));
    }
    if (description) {
        std::memset(description, 0, kDescriptionSize);
        std::memcpy(description, kDescription, sizeof kDescription);
    }
    if (handle) {
        *handle = openHandle;
    }
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_Open(int index, FT_HANDLE* handle) {
    if (!handle) {
        return FT_INVALID_PARAMETER;
    }
    const std::vector<int> devices = listMade_ ? listed_ : attached();
    if (index < 0 || index >= static_cast<int>(devices.size())) {
        return FT_DEVICE_NOT_FOUND;
    }
    const int position = devices[static_cast<std::size_t>(index)];
    if (!plugged(position)) {
        return FT_DEVICE_NOT_FOUND;
    }
    if (isOpen(position)) {
        return FT_DEVICE_NOT_OPENED; // one owner at a time, as with the real driver
    }
    const FT_HANDLE h = nextHandle_++;
    open_[h].position = position;
    open_[h].openedAt = clock_.nowMicros();
    *handle = h;
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baudRate) {
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    if (baudRate < 183 || baudRate > 3'000'000) {
        return FT_INVALID_BAUD_RATE;
    }
    if (receivers_[static_cast<std::size_t>(device->position)]->setup().faults.refuseBaudRate) {
        return FT_IO_ERROR;
    }
    device->line.baudRate = baudRate;
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength,
                                                   std::uint8_t stopBits, std::uint8_t parity) {
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4) {
        return FT_INVALID_PARAMETER;
    }
    device->line.wordLength = wordLength;
    device->line.stopBits = stopBits;
    device->line.parity = parity;
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flowControl,
                                           std::uint8_t, std::uint8_t) {
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    if (flowControl != 0 && flowControl != 0x0100 && flowControl != 0x0200 &&
        flowControl != 0x0400) {
        return FT_INVALID_PARAMETER;
    }
    device->line.flowControl = flowControl;
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readTimeoutMs,
                                        std::uint32_t writeTimeoutMs) {
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    if (receivers_[static_cast<std::size_t>(device->position)]
            ->setup()
            .faults.refuseReadTimeoutMs == readTimeoutMs) {
        return FT_IO_ERROR;
    }
    device->line.readTimeoutMs = readTimeoutMs;
    device->line.writeTimeoutMs = writeTimeoutMs;
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_SetLatencyTimer(FT_HANDLE handle, std::uint8_t latencyMs) {
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    if (latencyMs < 2) {
        return FT_INVALID_PARAMETER;
    }
    if (receivers_[static_cast<std::size_t>(device->position)]->setup().faults.refuseLatencyMs ==
        latencyMs) {
        return FT_IO_ERROR;
    }
    device->line.latencyMs = latencyMs;
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_SetResetPipeRetryCount(FT_HANDLE handle, std::uint32_t count) {
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    device->line.resetPipeRetries = count;
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_Close(FT_HANDLE handle) {
    // An unplugged device can still be closed: that frees its handle.
    return open_.erase(handle) > 0 ? FT_OK : FT_INVALID_HANDLE;
}

FT_STATUS SimulatedRack::FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t bytesToWrite,
                                  std::uint32_t* bytesWritten) {
    if (bytesWritten) {
        *bytesWritten = 0;
    }
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    if ((!buffer && bytesToWrite > 0) || !bytesWritten) {
        return FT_INVALID_PARAMETER;
    }
    SimulatedReceiver& receiver = *receivers_[static_cast<std::size_t>(device->position)];
    const LineSettings& line = device->line;
    if (receiver.setup().faults.holdCts && bytesToWrite > 0) {
        // Nothing can leave while the receiver holds CTS off: the write runs out its bound.
        const std::uint32_t bound =
            line.writeTimeoutMs > 0 ? line.writeTimeoutMs : kDefaultWriteTimeoutMs;
        clock_.sleepMicros(static_cast<std::int64_t>(bound) * 1000);
        return FT_IO_ERROR;
    }
    *bytesWritten = bytesToWrite;
    const bool lineMatches = line.baudRate == kReceiverBaudRate && line.wordLength == 8 &&
                             line.stopBits == 0 && line.parity == 0;
    if (!lineMatches || bytesToWrite == 0) {
        return FT_OK; // the receiver sees only noise at any other line setting
    }
    const std::int64_t now = clock_.nowMicros();
    std::vector<std::uint8_t> answer =
        receiver.receive(static_cast<const std::uint8_t*>(buffer), bytesToWrite, now);
    if (answer.empty()) {
        return FT_OK;
    }
    Chunk chunk;
    chunk.arrivedAt = immediate_ ? now : now + transmissionMicros(answer.size(), line.baudRate);
    chunk.readyAt = immediate_ ? now : chunk.arrivedAt + line.latencyMs * 1000LL;
    if (!device->queue.empty()) {
        // The chip hands bytes over in order: nothing overtakes what is already queued.
        chunk.readyAt = std::max(chunk.readyAt, device->queue.back().readyAt);
    }
    chunk.bytes = std::move(answer);
    device->queue.push_back(std::move(chunk));
    return FT_OK;
}

std::uint32_t SimulatedRack::readyBytes(const OpenDevice& device, std::int64_t at) const {
    std::size_t total = 0;
    for (const Chunk& chunk : device.queue) {
        if (chunk.readyAt > at) {
            break;
        }
        total += chunk.bytes.size();
    }
    return static_cast<std::uint32_t>(total - device.consumed);
}

std::uint32_t SimulatedRack::take(OpenDevice& device, std::uint8_t* out, std::uint32_t count,
                                  std::int64_t at) {
    std::uint32_t got = 0;
    while (got < count && !device.queue.empty() && device.queue.front().readyAt <= at) {
        Chunk& front = device.queue.front();
        const std::size_t n =
            std::min<std::size_t>(count - got, front.bytes.size() - device.consumed);
        std::memcpy(out + got, front.bytes.data() + device.consumed, n);
        got += static_cast<std::uint32_t>(n);
        device.consumed += n;
        if (device.consumed == front.bytes.size()) {
            device.queue.pop_front();
            device.consumed = 0;
        }
    }
    return got;
}

FT_STATUS SimulatedRack::FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t bytesToRead,
                                 std::uint32_t* bytesReturned) {
    if (bytesReturned) {
        *bytesReturned = 0;
    }
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    if ((!buffer && bytesToRead > 0) || !bytesReturned) {
        return FT_INVALID_PARAMETER;
    }
    const std::int64_t now = clock_.nowMicros();
    const std::uint32_t timeoutMs =
        device->line.readTimeoutMs > 0 ? device->line.readTimeoutMs : kDefaultReadTimeoutMs;
    const std::int64_t deadline = now + static_cast<std::int64_t>(timeoutMs) * 1000;

    // The moment the requested count is readable, if it ever is from what is on its way.
    std::int64_t enoughAt = -1;
    std::size_t cumulative = 0;
    for (const Chunk& chunk : device->queue) {
        cumulative += chunk.bytes.size();
        if (cumulative - device->consumed >= bytesToRead) {
            enoughAt = chunk.readyAt;
            break;
        }
    }
    const std::int64_t until =
        (enoughAt >= 0 && enoughAt <= deadline) ? std::max(enoughAt, now) : deadline;
    if (bytesToRead > 0 && readyBytes(*device, now) < bytesToRead) {
        clock_.sleepMicros(until - now);
    }
    *bytesReturned =
        take(*device, static_cast<std::uint8_t*>(buffer), bytesToRead, std::max(until, now));
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_Purge(FT_HANDLE handle, std::uint32_t mask) {
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    if (mask == 0 || (mask & ~(FT_PURGE_RX | FT_PURGE_TX)) != 0) {
        return FT_INVALID_PARAMETER;
    }
    if (receivers_[static_cast<std::size_t>(device->position)]->setup().faults.purgeError) {
        return FT_IO_ERROR;
    }
    if (mask & FT_PURGE_RX) {
        // What is in the chip goes; what the receiver is still sending arrives afterwards.
        const std::int64_t now = clock_.nowMicros();
        while (!device->queue.empty() && device->queue.front().arrivedAt <= now) {
            device->queue.pop_front();
            device->consumed = 0;
        }
    }
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes) {
    FT_STATUS status = FT_OK;
    OpenDevice* device = find(handle, &status);
    if (!device) {
        return status;
    }
    if (!rxBytes) {
        return FT_INVALID_PARAMETER;
    }
    *rxBytes = readyBytes(*device, clock_.nowMicros());
    return FT_OK;
}

FT_STATUS SimulatedRack::FT_ListDevices(std::uint32_t* numDevices, void*, std::uint32_t flags) {
    if (!numDevices || flags != FT_LIST_NUMBER_ONLY) {
        return FT_INVALID_PARAMETER;
    }
    *numDevices = static_cast<std::uint32_t>(attached().size());
    return FT_OK;
}

} // namespace k7::sim
