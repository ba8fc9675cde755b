// Serves simulated receivers on pseudo-terminals, so that the real serial-port driver talks to
// them as to USB devices. The bridge stands in for external hardware and so runs a thread of
// its own; the receivers are reached from outside only under its lock.
#pragma once

#include "SimulatedReceiver.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace k7::sim {

class PtyBridge {
public:
    explicit PtyBridge(const Scenario& scenario);
    ~PtyBridge();
    PtyBridge(const PtyBridge&) = delete;
    PtyBridge& operator=(const PtyBridge&) = delete;

    // Opens one pseudo-terminal per receiver and starts serving; false with a reason if the
    // system cannot provide them.
    bool start(QString* error);
    void stop();

    int receiverCount() const { return static_cast<int>(receivers_.size()); }
    // The terminal a driver opens for the receiver at this position.
    QString portPath(int position) const;
    // Runs f on the receiver while the bridge holds still.
    void inspect(int position, const std::function<void(const SimulatedReceiver&)>& f);

private:
    void serve();

    std::vector<std::unique_ptr<SimulatedReceiver>> receivers_;
    std::vector<int> masters_;
    std::vector<int> slaves_; // held open so that the terminal lives while no driver has it
    std::vector<QString> paths_;
    int wake_[2] = {-1, -1};
    std::atomic<bool> running_{false};
    std::mutex mutex_;
    std::thread thread_;
};

} // namespace k7::sim
