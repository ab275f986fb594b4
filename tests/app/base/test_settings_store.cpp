#include "base/settings_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <memory>

#include "temp_folder.h"

using namespace Qt::StringLiterals;

namespace zelapp {
namespace {

// ---- One suite for every implementation of the store ----

struct MemoryStoreMaker {
    std::unique_ptr<SettingsStore> make() { return std::make_unique<MemorySettingsStore>(); }
};

struct FileStoreMaker {
    zeltest::TempFolder folder;
    std::unique_ptr<SettingsStore> make() {
        return std::make_unique<QSettingsStore>(QString::fromStdString(folder.path()) +
                                                u"/zelapp.conf"_s);
    }
};

template <typename Maker>
class SettingsStoreTest : public ::testing::Test {
  protected:
    Maker maker;
    std::unique_ptr<SettingsStore> store = maker.make();
};

using Implementations = ::testing::Types<MemoryStoreMaker, FileStoreMaker>;
TYPED_TEST_SUITE(SettingsStoreTest, Implementations);

TYPED_TEST(SettingsStoreTest, AbsentEntryIsEmpty) {
    EXPECT_EQ(this->store->value(u"Settings"_s, u"MainLeft"_s), QString());
    EXPECT_TRUE(this->store->value(u"Other"_s, u"Key"_s).isEmpty());
}

TYPED_TEST(SettingsStoreTest, EntriesRoundTripPerSection) {
    SettingsStore &store = *this->store;
    store.setValue(u"Settings"_s, u"MainLeft"_s, u"120"_s);
    store.setValue(u"Other"_s, u"MainLeft"_s, u"text with blanks, = and ;"_s);
    store.setValue(u"Settings"_s, u"MainLeft"_s, u"130"_s);
    EXPECT_TRUE(store.sync());
    EXPECT_EQ(store.value(u"Settings"_s, u"MainLeft"_s), u"130"_s);
    EXPECT_EQ(store.value(u"Other"_s, u"MainLeft"_s), u"text with blanks, = and ;"_s);
    EXPECT_TRUE(store.value(u"Settings"_s, u"mainleft"_s).isEmpty());
}

TYPED_TEST(SettingsStoreTest, MainPositionDefaultsWhenAbsent) {
    const MainPosition position = readMainPosition(*this->store);
    EXPECT_EQ(position.left, 75);
    EXPECT_EQ(position.top, 405);
}

TYPED_TEST(SettingsStoreTest, MainPositionRoundTripsAsTwipTexts) {
    writeMainPosition(*this->store, {-1200, 32767});
    ASSERT_TRUE(this->store->sync());
    EXPECT_EQ(this->store->value(u"Settings"_s, u"MainLeft"_s), u"-1200"_s);
    EXPECT_EQ(this->store->value(u"Settings"_s, u"MainTop"_s), u"32767"_s);
    const MainPosition position = readMainPosition(*this->store);
    EXPECT_EQ(position.left, -1200);
    EXPECT_EQ(position.top, 32767);
}

TYPED_TEST(SettingsStoreTest, StoredTextThatIsNotA16BitWholeNumberGivesTheDefault) {
    SettingsStore &store = *this->store;
    for (const QString &bad : {u"abc"_s, u"12.5"_s, u"32768"_s, u"-32769"_s, u"1e3"_s, u""_s,
                               u"99999999999999999999"_s}) {
        SCOPED_TRACE(bad.toStdString());
        store.setValue(u"Settings"_s, u"MainLeft"_s, bad);
        store.setValue(u"Settings"_s, u"MainTop"_s, u" 600 "_s);
        const MainPosition position = readMainPosition(store);
        EXPECT_EQ(position.left, 75);
        EXPECT_EQ(position.top, 600);
    }
    store.setValue(u"Settings"_s, u"MainLeft"_s, u"-32768"_s);
    EXPECT_EQ(readMainPosition(store).left, -32768);
}

// ---- The platform store ----

TEST(QSettingsStore, EntriesOutliveTheStoreObject) {
    zeltest::TempFolder folder;
    const QString path = QString::fromStdString(folder.path()) + u"/zelapp.conf"_s;
    {
        QSettingsStore store(path);
        writeMainPosition(store, {300, 900});
        ASSERT_TRUE(store.sync());
    }
    QSettingsStore reopened(path);
    const MainPosition position = readMainPosition(reopened);
    EXPECT_EQ(position.left, 300);
    EXPECT_EQ(position.top, 900);
    // The file is plain INI text, section "Settings".
    QSettings raw(path, QSettings::IniFormat);
    EXPECT_EQ(raw.value(u"Settings/MainTop"_s).toString(), u"900"_s);
}

TEST(QSettingsStore, UserStoreIsFiledUnderTheApplicationName) {
    zeltest::TempFolder folder;
    const QString base = QString::fromStdString(folder.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, base);
    {
        QSettingsStore store;
        writeMainPosition(store, {10, 20});
        ASSERT_TRUE(store.sync());
    }
    EXPECT_TRUE(QFileInfo::exists(base + u"/zelapp/zelapp.conf"_s));
    QSettingsStore reopened;
    EXPECT_EQ(readMainPosition(reopened).top, 20);
}

TEST(QSettingsStore, SyncReportsAStoreThatCannotBeWritten) {
    zeltest::TempFolder folder;
    const QString blocker = QString::fromStdString(folder.path()) + u"/file"_s;
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // The store's folder would have to be created where a file already is.
    QSettingsStore store(blocker + u"/zelapp.conf"_s);
    writeMainPosition(store, {1, 2});
    EXPECT_FALSE(store.sync());
}

}  // namespace
}  // namespace zelapp
