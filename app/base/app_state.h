// The application's settings and shared state: one instance, owned by the Session and handed
// by reference to the parts that read or change it. Counts and other Integers hold
// 16-bit values; readers of files and dialogs keep them in range.
#pragma once

#include <QString>

namespace zelapp {

enum ViewType : int {
    VIEWTYPEGROUPS = 1,
    VIEWTYPECHANNELS = 2,
    VIEWTYPELVDTS = 3,
    VIEWTYPEANALOGS = 4,
};

// ScanHoldCount is an Integer.
inline constexpr int kMaxScanHolds = 32767;

// The unit numbers channels and inputs in one byte of a frame, so a count of items is 0..255.
inline constexpr int kMaxItemCount = 255;
constexpr bool isItemCount(int n) {
    return n >= 0 && n <= kMaxItemCount;
}

struct AppState {
    // Settings, with their defaults at start-up (zelapp.ini changes them). The three counts of
    // items are what start-up builds and what the close writes back; while the program runs,
    // the setup's collections hold the counts (Setup::channelCount() and the like).
    int MaxChannel = 8;
    int MaxLvdt = 8;
    int MaxAnalog = 1;
    int MaxDigital = 0;
    int MaxStrain = 0;
    float LvdtFSV = 0.05f;
    int Decimals = 5;
    int ScanTime = 100;  // tenths of a millisecond
    int ADCAverage = 4;
    int RunAvg = 1;
    QString ProductTitle = QStringLiteral("ZEL-32");
    QString MakerName = QStringLiteral("Quillon Corporation");
    QString AppPath;       // the program's folder
    QString HelpFilePath;  // candidate help file
    QString HelpFile;      // the help file in use; empty when there is none
    // zelapp.ini's "MoxFirmware": the firmware file the about window names.
    QString FirmwareFileName;

    // Shared state of the running program. SetupModified is written only by the setup
    // (Setup::markModified and the like), which also tells everyone what changed.
    QString SetupFileName;
    bool SetupModified = false;
    bool UpdateEnabled = false;
    // While above 0 the tick leaves the main displays alone: a dialog that changes what they
    // show takes a hold, and each UpdateMainDisplay releases one.
    int ScanHoldCount = 0;
    int ViewType = VIEWTYPECHANNELS;
    int CurrentGroup = 1;
    bool MasteringMode = false;  // false master, true zero

    // The link the bar window's pop-up copies: service, topic, item and the item's value text.
    QString CopyLinkApp;
    QString CopyLinkTopic;
    QString CopyLinkItem;
    QString CopyLinkValue;

    void takeScanHold() {
        if (ScanHoldCount < kMaxScanHolds) {
            ++ScanHoldCount;
        }
    }
    void releaseScanHold() {
        if (ScanHoldCount > 0) {
            --ScanHoldCount;
        }
    }

    // Back to the start-up defaults of the settings (zelapp.ini is read over them).
    void setDefaultSettings() {
        MaxChannel = 8;
        MaxLvdt = 8;
        MaxAnalog = 1;
        MaxDigital = 0;
        MaxStrain = 0;
        LvdtFSV = 0.05f;
        Decimals = 5;
        ScanTime = 100;
        ADCAverage = 4;
        RunAvg = 1;
    }
};

}  // namespace zelapp
