#include "core/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "temp_folder.h"

using namespace Qt::StringLiterals;

namespace zelapp {
namespace {

QString lockPathIn(const zeltest::TempFolder &folder, const QString &name = u"zelapp.lock"_s) {
    return QString::fromStdString(folder.path()) + u'/' + name;
}

// Exit status of a child process, -1 when it did not exit normally.
int waitForChild(pid_t child) {
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

TEST(InstanceLock, SecondLockFailsWhileTheFirstHoldsIt) {
    zeltest::TempFolder folder;
    InstanceLock first(lockPathIn(folder));
    InstanceLock second(lockPathIn(folder));
    EXPECT_EQ(first.path(), lockPathIn(folder));
    ASSERT_TRUE(first.tryLock());
    EXPECT_TRUE(first.tryLock());  // asking again keeps it
    EXPECT_FALSE(second.tryLock());
    first.unlock();
    EXPECT_FALSE(QFileInfo::exists(first.path()));
    EXPECT_TRUE(second.tryLock());
    EXPECT_FALSE(first.tryLock());
}

TEST(InstanceLock, EndOfTheHolderReleasesTheLock) {
    zeltest::TempFolder folder;
    {
        InstanceLock first(lockPathIn(folder));
        ASSERT_TRUE(first.tryLock());
    }
    InstanceLock second(lockPathIn(folder));
    EXPECT_TRUE(second.tryLock());
}

TEST(InstanceLock, LockOfARunningProcessIsRespected) {
    zeltest::TempFolder folder;
    const QString path = lockPathIn(folder);
    int locked[2];
    int release[2];
    ASSERT_EQ(::pipe(locked), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(locked[0]);
        ::close(release[1]);  // so the end of the test process also ends the child
        InstanceLock lock(path);
        const char ok = lock.tryLock() ? 'y' : 'n';
        (void)!::write(locked[1], &ok, 1);
        char ignored = 0;
        (void)!::read(release[0], &ignored, 1);
        lock.unlock();
        ::_exit(0);
    }
    ::close(locked[1]);
    ::close(release[0]);
    char ok = 0;
    ASSERT_EQ(::read(locked[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    InstanceLock mine(path);
    EXPECT_FALSE(mine.tryLock());
    ASSERT_EQ(::write(release[1], "x", 1), 1);
    EXPECT_EQ(waitForChild(child), 0);
    EXPECT_TRUE(mine.tryLock());
    ::close(locked[0]);
    ::close(release[1]);
}

TEST(InstanceLock, StaleLockOfAVanishedProcessIsTakenOver) {
    zeltest::TempFolder folder;
    const QString path = lockPathIn(folder);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Ends like a crash: the lock file stays behind.
        InstanceLock lock(path);
        ::_exit(lock.tryLock() ? 0 : 1);
    }
    ASSERT_EQ(waitForChild(child), 0);
    ASSERT_TRUE(QFileInfo::exists(path));
    InstanceLock mine(path);
    EXPECT_TRUE(mine.tryLock());
}

TEST(InstanceLock, MissingFolderIsCreated) {
    zeltest::TempFolder folder;
    InstanceLock lock(lockPathIn(folder, u"runtime/zelapp.lock"_s));
    EXPECT_TRUE(lock.tryLock());
    EXPECT_TRUE(QFileInfo::exists(lock.path()));
}

TEST(InstanceLock, FolderThatCannotBeCreatedFailsCleanly) {
    zeltest::TempFolder folder;
    QFile blocker(lockPathIn(folder, u"file"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    InstanceLock lock(lockPathIn(folder, u"file/sub/zelapp.lock"_s));
    EXPECT_FALSE(lock.tryLock());
    lock.unlock();  // harmless without the lock
    EXPECT_FALSE(lock.tryLock());
}

TEST(DefaultInstanceLockPath, LivesInTheUserRuntimeFolder) {
    zeltest::TempFolder folder;
    zeltest::ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path().c_str());
    EXPECT_EQ(defaultInstanceLockPath(), lockPathIn(folder));
}

}  // namespace
}  // namespace zelapp
