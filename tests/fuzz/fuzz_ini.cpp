// zelapp.ini comes from whoever last edited the program's folder: any bytes must read without
// harm, start-up must go on with whatever they set (the default objects, the first display
// rebuild and tick in every view), and what they set must survive the next write and read
// unchanged.
#include <QByteArray>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/app_state.h"
#include "core/ini_file.h"
#include "core/scan_cycle.h"
#include "recording_ports.h"
#include "recording_windows.h"
#include "setup_fixture.h"

namespace {

bool fits16(int value) {
    return value >= -32768 && value <= 32767;
}

bool inRange(const zelapp::AppState &state) {
    return fits16(state.MaxChannel) && fits16(state.MaxLvdt) && fits16(state.MaxAnalog) &&
           fits16(state.MaxDigital) && fits16(state.MaxStrain) && fits16(state.Decimals) &&
           fits16(state.ScanTime) && fits16(state.ADCAverage) && fits16(state.RunAvg) &&
           std::isfinite(state.LvdtFSV);
}

bool sameIntegers(const zelapp::AppState &a, const zelapp::AppState &b) {
    return a.MaxChannel == b.MaxChannel && a.MaxLvdt == b.MaxLvdt && a.MaxAnalog == b.MaxAnalog &&
           a.Decimals == b.Decimals && a.ScanTime == b.ScanTime && a.ADCAverage == b.ADCAverage &&
           a.RunAvg == b.RunAvg;
}

// The steps of start-up that use the settings, on a fake unit.
void startWith(const zelapp::AppState &settings) {
    zeltest::SetupFixture f(0, 0, 0);
    f.state = settings;
    f.setup.CreateDefaultObjects();
    zeltest::RecordingWindows displays;
    zelapp::ScanCycle scan(f.unit, f.state, f.setup, displays);
    f.state.UpdateEnabled = true;
    for (int view = zelapp::VIEWTYPEGROUPS; view <= zelapp::VIEWTYPEANALOGS; ++view) {
        f.state.ViewType = view;
        scan.UpdateMainDisplay();
        scan.Timer1_Timer();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    zelapp::AppState first;
    zelapp::readIniText(input, first);
    if (!inRange(first)) {
        std::abort();  // the reader must keep every setting in range
    }
    startWith(first);

    // The Single may lose digits beyond the seventh once; after that the text is fixed.
    const QByteArray written = zelapp::iniFileText(first);
    zelapp::AppState second;
    zelapp::readIniText(written, second);
    if (!sameIntegers(first, second) || zelapp::iniFileText(second) != written) {
        std::abort();
    }
    return 0;
}
