#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include "history/parts_location.h"
#include "temp_folder.h"

using namespace zelapp;

namespace {

TEST(PartsLocation, TheOptionThenTheEnvironmentThenTheSettingsThenTheDefault) {
    LocationInputs inputs{QStringLiteral("/opt/a.db"),
                          QStringLiteral("/env/b.db"),
                          {QStringLiteral("/set/c.db"), {}},
                          QStringLiteral("/data/parts.db"),
                          QStringLiteral("host7")};
    PartsLocation location = resolvePartsLocation(inputs);
    EXPECT_EQ(location.file, u"/opt/a.db");
    EXPECT_EQ(location.source, PartsLocation::Source::Option);
    inputs.option.clear();
    location = resolvePartsLocation(inputs);
    EXPECT_EQ(location.file, u"/env/b.db");
    EXPECT_EQ(location.source, PartsLocation::Source::Environment);
    inputs.environment.clear();
    location = resolvePartsLocation(inputs);
    EXPECT_EQ(location.file, u"/set/c.db");
    EXPECT_EQ(location.source, PartsLocation::Source::Settings);
    inputs.settings.database.clear();
    location = resolvePartsLocation(inputs);
    EXPECT_EQ(location.file, u"/data/parts.db");
    EXPECT_EQ(location.source, PartsLocation::Source::Default);

    inputs.option = QStringLiteral("rel/../x.db");
    EXPECT_EQ(resolvePartsLocation(inputs).file, QDir::current().filePath(QStringLiteral("x.db")))
        << "a relative file is taken from the working folder";
}

TEST(PartsLocation, TheStationIsTheSettingsElseTheHostName) {
    LocationInputs inputs;
    inputs.hostName = QStringLiteral("host7");
    EXPECT_EQ(resolvePartsLocation(inputs).station, u"host7");
    inputs.settings.station = QStringLiteral("Line 3 gauge");
    EXPECT_EQ(resolvePartsLocation(inputs).station, u"Line 3 gauge");
}

TEST(PartsLocation, TheSettingsFileIsReadAndTheEnvironmentHonoured) {
    QTemporaryDir dir;
    const QString settingsFile = dir.filePath(QStringLiteral("zelapp.conf"));
    EXPECT_EQ(readResultsSettings(settingsFile).database, QString()) << "no file says nothing";
    {
        QSettings settings(settingsFile, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Results/Database"), dir.filePath(QStringLiteral("s.db")));
        settings.setValue(QStringLiteral("Results/Station"), QStringLiteral("Gauge 2"));
        settings.setValue(QStringLiteral("Settings/MainLeft"), 75);
    }
    const ResultsSettings read = readResultsSettings(settingsFile);
    EXPECT_EQ(read.database, dir.filePath(QStringLiteral("s.db")));
    EXPECT_EQ(read.station, u"Gauge 2");

    {
        zeltest::ScopedEnv unset("ZEL_PARTS_DB", nullptr);
        EXPECT_EQ(findPartsLocation({}, settingsFile).file, read.database);
        EXPECT_EQ(findPartsLocation({}, settingsFile).station, u"Gauge 2");
    }
    const QString fromEnv = dir.filePath(QStringLiteral("env.db"));
    zeltest::ScopedEnv env("ZEL_PARTS_DB", fromEnv.toLocal8Bit().constData());
    EXPECT_EQ(findPartsLocation({}, settingsFile).file, fromEnv);
    const QString given = dir.filePath(QStringLiteral("given.db"));
    EXPECT_EQ(findPartsLocation(given, settingsFile).file, given);
}

TEST(PartsLocation, TheDefaultsFollowTheXdgFolders) {
    QTemporaryDir dir;
    zeltest::ScopedEnv data("XDG_DATA_HOME",
                            dir.filePath(QStringLiteral("data")).toLocal8Bit().constData());
    zeltest::ScopedEnv config("XDG_CONFIG_HOME",
                              dir.filePath(QStringLiteral("config")).toLocal8Bit().constData());
    EXPECT_EQ(defaultPartsFile(), dir.filePath(QStringLiteral("data/zelapp/parts.db")));
    EXPECT_EQ(defaultSettingsFile(), dir.filePath(QStringLiteral("config/zelapp/zelapp.conf")));
    zeltest::ScopedEnv unset("ZEL_PARTS_DB", nullptr);
    EXPECT_EQ(findPartsLocation({}, defaultSettingsFile()).file, defaultPartsFile());
    EXPECT_EQ(findPartsLocation({}, defaultSettingsFile()).source, PartsLocation::Source::Default);
}

}  // namespace
