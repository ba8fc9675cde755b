// A disk that fills up: while a DiskFull lives, no file of the process may grow past a given
// size (100 bytes unless told), so that a write fails halfway as on a full disk (whatever the
// user's rights), and the system says why.
#pragma once

#include <QString>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace k7::test {

class DiskFull {
public:
    explicit DiskFull(rlim_t bytes = 100) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit tiny = saved_;
        tiny.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~DiskFull() { setrlimit(RLIMIT_FSIZE, &saved_); }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

    // The system's own reason for a write past the size, as a writer should pass it on (a
    // full disk's would be "No space left on device").
    static QString Reason() { return QString::fromLocal8Bit(std::strerror(EFBIG)); }

private:
    rlimit saved_{};
};

} // namespace k7::test
