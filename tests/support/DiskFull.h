// A disk that fills up: while a DiskFull lives, no file of the process may grow past a few
// bytes, so that a write fails halfway as on a full disk (whatever the user's rights).
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace k7::test {

// While it lives, no file may grow past a few bytes: a disk that fills up in a write.
class DiskFull {
public:
    DiskFull() {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit tiny = saved_;
        tiny.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~DiskFull() { setrlimit(RLIMIT_FSIZE, &saved_); }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    rlimit saved_{};
};

} // namespace k7::test
