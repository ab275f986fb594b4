// The peer's process id, as the live-value service asks for it on its sockets.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "exchange/peer_process.h"

namespace zelapp {
namespace {

TEST(PeerProcess, AConnectedLocalSocketNamesItsPeerAndAnythingElseNothing) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_EQ(peerProcessId(pair[0]), std::optional<qint64>(::getpid()));
    ::close(pair[0]);
    ::close(pair[1]);

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    EXPECT_EQ(peerProcessId(pipeEnds[0]), std::nullopt);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);

    const int unconnected = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(unconnected, 0);
    EXPECT_EQ(peerProcessId(unconnected), std::nullopt);
    ::close(unconnected);

    EXPECT_EQ(peerProcessId(-1), std::nullopt);
}

}  // namespace
}  // namespace zelapp
