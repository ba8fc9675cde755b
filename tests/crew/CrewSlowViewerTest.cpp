// A viewer that never reads while forty receivers meter for 60 s (on the manual clock, through
// a real socket on loopback whose reader takes nothing): its queue never holds more than
// 256 KiB, and the station's resident memory grows by less than 16 MiB. (What serving costs in
// time is the benchmark's, crew_bench.)
#include "CrewRig.h"

#include <QFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#if defined(__SANITIZE_ADDRESS__)
#define K7_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define K7_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef K7_ADDRESS_SANITIZER
#define K7_ADDRESS_SANITIZER 0
#endif

namespace k7::test {
namespace {

qint64 ResidentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return statm.readAll().split(' ').value(1).toLongLong() * 4096;
}

TEST(CrewSlowViewer, ItsQueueStaysUnderItsCapAndMemoryStaysFlat) {
    CrewRig rig(sim::Scenario::simulated(40));
    ASSERT_EQ(rig.h->Start(), 40);
    ASSERT_TRUE(rig.h->RunToMonitoring());
    const quint16 port = rig.view.state().endpoint.port;

    // A plain socket with a small receive window, never read: the network soon holds all it
    // will, and the rest would queue in the station.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    const int small = 2048;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    const QByteArray upgrade = UpgradeRequest("/ws?key=" + rig.view.settings().key.toLatin1(),
                                              "127.0.0.1:" + QByteArray::number(port));
    ASSERT_EQ(::send(fd, upgrade.constData(), static_cast<std::size_t>(upgrade.size()), 0),
              upgrade.size());
    ASSERT_TRUE(Spin([&] { return rig.view.state().viewers == 1; }));
    ViewerLink* link = rig.view.stream().link(1);
    ASSERT_NE(link, nullptr);

    // 60 s rather than 20: the network's own buffers on loopback take the first 20 s or so.
    constexpr int kTicks = 15000;
    const qint64 before = ResidentBytes();
    qint64 mostQueued = 0;
    for (int tick = 0; tick < kTicks; ++tick) {
        rig.h->clock.advanceMs(4);
        QCoreApplication::processEvents();
        mostQueued = std::max(mostQueued, link->Queued());
        ASSERT_LE(link->Queued(), CrewStream::kQueueCap) << "at tick " << tick;
    }
    const qint64 grown = ResidentBytes() - before;
    const CrewStream::Counts counts = rig.view.stream().counts(1);
    std::printf("slow viewer: most queued %lld bytes, fell behind %d times, %d snapshots, %d "
                "messages; resident memory grew %.2f MiB\n",
                static_cast<long long>(mostQueued), counts.fellBehind, counts.snapshots,
                counts.messages, static_cast<double>(grown) / 1048576.0);
    EXPECT_GT(counts.fellBehind, 0) << "the viewer's queue never filled: the test tried nothing";
    EXPECT_GT(mostQueued, CrewStream::kQueueCap / 2);
#if !K7_ADDRESS_SANITIZER // its quarantine keeps freed memory: resident size says nothing there
    EXPECT_LT(grown, 16 * 1024 * 1024);
#endif
    EXPECT_EQ(rig.view.state().viewers, 1) << "a slow viewer is held, not dropped";
    ::close(fd);
}

} // namespace
} // namespace k7::test
