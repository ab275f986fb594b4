// Where the unit's devices are found (the library's rule), and the device folder watched on a
// real temporary folder: a socket appearing is noticed, also in a folder made anew after the
// driver removed it, and only sockets count. Each notice is waited for, never slept for.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "temp_folder.h"
#include "unit/device_watch.h"

using zelapp::FolderDeviceWatch;

namespace {

struct FolderCase {
    const char *deviceDir;   // nullptr: unset
    const char *runtimeDir;  // nullptr: unset
    QString expected;
};

class DeviceFolder : public testing::TestWithParam<FolderCase> {};

TEST_P(DeviceFolder, FollowsTheLibrarysRule) {
    zeltest::ScopedEnv device("ZEL_DEVICE_DIR", GetParam().deviceDir);
    zeltest::ScopedEnv runtime("XDG_RUNTIME_DIR", GetParam().runtimeDir);
    EXPECT_EQ(zelapp::unitDeviceFolder(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, DeviceFolder,
    testing::Values(FolderCase{"/d", "/run/user/7", QStringLiteral("/d")},
                    FolderCase{"", "/run/user/7", QStringLiteral("/run/user/7/zel8")},
                    FolderCase{nullptr, "", QStringLiteral("/tmp/zel8-%1").arg(getuid())},
                    FolderCase{nullptr, nullptr, QStringLiteral("/tmp/zel8-%1").arg(getuid())}));

// A Unix socket bound at `path`, as the driver makes its devices; removed with the object.
class BoundSocket {
  public:
    explicit BoundSocket(const QString &path) : path_(path.toStdString()) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path_.c_str());
        bound_ = ::bind(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    }
    ~BoundSocket() {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    bool bound() const { return bound_; }

  private:
    std::string path_;
    int fd_ = -1;
    bool bound_ = false;
};

constexpr int kGenerousMs = 10000;

TEST(FolderDeviceWatch, ASocketAppearingIsNoticedAlsoInAFolderMadeAnew) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folder = root.filePath(QStringLiteral("zel8"));
    FolderDeviceWatch watch(folder);  // the folder is not there yet
    int told = 0;
    watch.setAppeared([&told] { ++told; });
    QSignalSpy appeared(&watch, &FolderDeviceWatch::deviceAppeared);

    ASSERT_TRUE(QDir().mkdir(folder));
    {
        // A plain file of a device's name is no device.
        QFile plain(folder + QStringLiteral("/ZEL2"));
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    }
    auto first = std::make_unique<BoundSocket>(folder + QStringLiteral("/ZEL1"));
    ASSERT_TRUE(first->bound());
    ASSERT_TRUE(appeared.wait(kGenerousMs));
    EXPECT_EQ(watch.devices(), QSet<QString>{QStringLiteral("ZEL1")});
    EXPECT_EQ(told, appeared.size());

    // The driver stopped: its socket and its folder go; started again: both come back.
    first.reset();
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/ZEL2")));
    ASSERT_TRUE(QDir().rmdir(folder));
    const int before = appeared.size();
    ASSERT_TRUE(QDir().mkdir(folder));
    BoundSocket again(folder + QStringLiteral("/ZEL1"));
    ASSERT_TRUE(again.bound());
    while (appeared.size() == before) {
        ASSERT_TRUE(appeared.wait(kGenerousMs));
    }
    EXPECT_EQ(watch.devices(), QSet<QString>{QStringLiteral("ZEL1")});
}

}  // namespace
