#include "PtyBridge.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace k7::sim {
namespace {

std::int64_t steadyMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void writeAll(int fd, const std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, data, count);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return; // the terminal went away; the test will notice the missing answer
        }
        data += n;
        count -= static_cast<std::size_t>(n);
    }
}

} // namespace

PtyBridge::PtyBridge(const Scenario& scenario) {
    int position = 0;
    for (const ReceiverSetup& setup : scenario.receivers) {
        receivers_.push_back(std::make_unique<SimulatedReceiver>(setup, scenario.seed, position++));
    }
}

PtyBridge::~PtyBridge() {
    stop();
}

QString PtyBridge::portPath(int position) const {
    return position >= 0 && position < static_cast<int>(paths_.size())
               ? paths_[static_cast<std::size_t>(position)]
               : QString();
}

bool PtyBridge::start(QString* error) {
    const auto failWith = [&](const char* what) {
        if (error) {
            *error = QStringLiteral("pseudo-terminal: %1 failed (%2)")
                         .arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        }
        stop();
        return false;
    };
    if (running_) {
        return true;
    }
    for (std::size_t i = 0; i < receivers_.size(); ++i) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0) {
            return failWith("posix_openpt");
        }
        masters_.push_back(master);
        if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            return failWith("unlockpt");
        }
        const char* name = ::ptsname(master);
        if (!name) {
            return failWith("ptsname");
        }
        const int slave = ::open(name, O_RDWR | O_NOCTTY);
        if (slave < 0) {
            return failWith("open");
        }
        slaves_.push_back(slave);
        // Raw from the start: no echo of the station's bytes, no line editing.
        termios raw{};
        if (::tcgetattr(slave, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(slave, TCSANOW, &raw);
        }
        paths_.push_back(QString::fromLocal8Bit(name));
    }
    if (::pipe(wake_) != 0) {
        return failWith("pipe");
    }
    running_ = true;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void PtyBridge::stop() {
    if (running_.exchange(false)) {
        const char stopByte = 0;
        (void)!::write(wake_[1], &stopByte, 1);
        thread_.join();
    }
    for (int fd : masters_) {
        ::close(fd);
    }
    for (int fd : slaves_) {
        ::close(fd);
    }
    for (int& fd : wake_) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
    masters_.clear();
    slaves_.clear();
}

void PtyBridge::inspect(int position, const std::function<void(const SimulatedReceiver&)>& f) {
    std::lock_guard lock(mutex_);
    f(*receivers_.at(static_cast<std::size_t>(position)));
}

void PtyBridge::serve() {
    const std::int64_t origin = steadyMicros();
    std::vector<pollfd> fds(masters_.size() + 1);
    for (std::size_t i = 0; i < masters_.size(); ++i) {
        fds[i] = {masters_[i], POLLIN, 0};
    }
    fds.back() = {wake_[0], POLLIN, 0};
    std::uint8_t buffer[512];
    while (running_) {
        if (::poll(fds.data(), fds.size(), 100) < 0 && errno != EINTR) {
            return;
        }
        for (std::size_t i = 0; i < masters_.size(); ++i) {
            if (!(fds[i].revents & POLLIN)) {
                continue;
            }
            const ssize_t n = ::read(masters_[i], buffer, sizeof buffer);
            if (n <= 0) {
                continue;
            }
            std::vector<std::uint8_t> answer;
            {
                std::lock_guard lock(mutex_);
                answer = receivers_[i]->receive(buffer, static_cast<std::size_t>(n),
                                                steadyMicros() - origin);
            }
            writeAll(masters_[i], answer.data(), answer.size());
        }
    }
}

} // namespace k7::sim
