// The per-user settings store, and the two settings of the main window kept in it (its position
// and the bar window's "Show Values"). Every other section has one reader and writer beside the
// code that owns it (the mastering guard's limits, the part display's, the results' and the DFQ
// export's).
#pragma once

#include <QHash>
#include <QString>
#include <memory>

class QSettings;

namespace zelapp {

class SettingsStore {
  public:
    virtual ~SettingsStore();
    // "" when absent.
    virtual QString value(const QString &section, const QString &key) const = 0;
    virtual void setValue(const QString &section, const QString &key, const QString &value) = 0;
    // false when the entries could not be stored.
    virtual bool sync() = 0;
};

// The platform's per-user store of application "zelapp" (on Linux ~/.config/zelapp/zelapp.conf,
// honouring XDG_CONFIG_HOME).
class QSettingsStore : public SettingsStore {
  public:
    QSettingsStore();
    // An INI file at an explicit path.
    explicit QSettingsStore(const QString &filePath);
    ~QSettingsStore() override;

    QString value(const QString &section, const QString &key) const override;
    void setValue(const QString &section, const QString &key, const QString &value) override;
    bool sync() override;

  private:
    std::unique_ptr<QSettings> settings_;
};

// Entries in memory only, for tests.
class MemorySettingsStore : public SettingsStore {
  public:
    QString value(const QString &section, const QString &key) const override;
    void setValue(const QString &section, const QString &key, const QString &value) override;
    bool sync() override;

  private:
    QHash<QString, QString> entries_;  // "section/key" -> value
};

// The main window's position in twips: "MainLeft"/"MainTop" in section "Settings".
struct MainPosition {
    int left = 75;
    int top = 405;
};

// A stored value that is not a whole number in 16 bits gives the default.
MainPosition readMainPosition(const SettingsStore &store);
void writeMainPosition(SettingsStore &store, MainPosition position);

// Whether the bar window shows each bar's value: "ShowBarValues" in section "Settings", "1" or
// "0"; anything else is off. Written at once, so that a crash later keeps the choice.
bool readShowBarValues(const SettingsStore &store);
void writeShowBarValues(SettingsStore &store, bool shown);

}  // namespace zelapp
