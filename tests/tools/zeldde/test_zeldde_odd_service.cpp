// zeldde against a service that does not keep to the protocol: a scripted server on plain
// sockets answers each line the client sends with bytes of the test's choosing. Whatever comes
// back, zeldde ends with status 4 and says what went wrong, and never crashes.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "temp_folder.h"

namespace {

constexpr int kDeadlineMs = 30000;  // only ever reached when a test fails

// Listens as the service "zelapp" in a folder of its own; the one client it accepts gets
// replies[i] after its i-th line. When the replies run out it closes, after reading what is
// left when `drain` is set.
class ScriptedService {
  public:
    ScriptedService(std::vector<std::string> replies, bool drain)
        : replies_(std::move(replies)), drain_(drain) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = folder_.path() + "/zelapp";
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        bound_ = ::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 &&
                 ::listen(listener_, 1) == 0;
        thread_ = std::thread([this] { serve(); });
    }
    ~ScriptedService() {
        thread_.join();
        ::close(listener_);
    }
    bool bound() const { return bound_; }
    QString folder() const { return QString::fromStdString(folder_.path()); }

  private:
    // Waits for input on fd; false at the deadline.
    static bool readable(int fd) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, kDeadlineMs) == 1;
    }

    void serve() {
        if (!bound_ || !readable(listener_)) {
            return;
        }
        const int fd = ::accept(listener_, nullptr, nullptr);
        std::string received;
        for (const std::string &reply : replies_) {
            while (received.find('\n') == std::string::npos) {
                char chunk[512];
                const ssize_t n = readable(fd) ? ::read(fd, chunk, sizeof chunk) : 0;
                if (n <= 0) {
                    ::close(fd);
                    return;
                }
                received.append(chunk, static_cast<size_t>(n));
            }
            received.erase(0, received.find('\n') + 1);
            (void)::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
        char chunk[512];
        while (drain_ && readable(fd) && ::read(fd, chunk, sizeof chunk) > 0) {
        }
        ::close(fd);
    }

    zeltest::TempFolder folder_;
    std::vector<std::string> replies_;
    bool drain_;
    int listener_ = -1;
    bool bound_ = false;
    std::thread thread_;
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome zeldde(const ScriptedService &service, const QStringList &arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZEL_DDE_DIR"), service.folder());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ZELDDE_PATH), arguments);
    Outcome run;
    if (!process.waitForFinished(kDeadlineMs)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.status = process.exitCode();
    }
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

const QStringList kRequest{QStringLiteral("request"), QStringLiteral("labelChan(1)")};
const std::string kAckInitiate = "ACK\tINITIATE\n";

TEST(ZelddeOddService, ALineOutOfTurnIsShownEscapedAndEndsWithStatus4) {
    ScriptedService service({std::string("HELLO\t\x01\xff", 8) + "\n"}, true);
    ASSERT_TRUE(service.bound());
    const Outcome run = zeldde(service, kRequest);
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("unexpected line"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("HELLO\\t\\x01"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
}

TEST(ZelddeOddService, AnAnswerForAnotherItemOrVerbIsNotTakenForTheValue) {
    for (const std::string &answer :
         {std::string("DATA\tlabelChan(2)\t 1.0\n"), std::string("ACK\tADVISE\tlabelChan(1)\n"),
          std::string("NACK\tREQUEST\tlabelChan(2)\n")}) {
        SCOPED_TRACE(answer);
        ScriptedService service({kAckInitiate, answer}, true);
        ASSERT_TRUE(service.bound());
        const Outcome run = zeldde(service, kRequest);
        EXPECT_EQ(run.status, 4) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(ZelddeOddService, AnEndlessLineEndsWithStatus4) {
    ScriptedService service({kAckInitiate, std::string(70 * 1024, 'x')}, true);
    ASSERT_TRUE(service.bound());
    const Outcome run = zeldde(service, kRequest);
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("more than"), std::string::npos) << run.err;
}

TEST(ZelddeOddService, AServiceThatHangsUpMidwayEndsWithStatus4) {
    {
        ScriptedService service({}, false);  // closes as soon as it has accepted
        ASSERT_TRUE(service.bound());
        const Outcome run = zeldde(service, kRequest);
        EXPECT_EQ(run.status, 4);
        // Whether the hang-up meets its INITIATE or its wait for the answer is a race: either
        // way the message names the service.
        EXPECT_NE(run.err.find("service \"zelapp\""), std::string::npos) << run.err;
    }
    {
        // Half a reply, then gone.
        ScriptedService service({kAckInitiate, "DATA\tlabelChan(1)\t 1.2"}, false);
        ASSERT_TRUE(service.bound());
        const Outcome run = zeldde(service, kRequest);
        EXPECT_EQ(run.status, 4);
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(ZelddeOddService, ARefusalWithoutAReasonStillNamesTheTopic) {
    ScriptedService service({"NACK\tINITIATE\n"}, true);
    ASSERT_TRUE(service.bound());
    const Outcome run = zeldde(service, kRequest);
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("\"Display\""), std::string::npos) << run.err;
}

}  // namespace
