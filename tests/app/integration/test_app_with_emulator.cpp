// The program as main() builds it, through the real libzelcomm.so against the real zel8d:
// started with a setup file and "/NUMS /BARS", its grid and bars show the emulator's values,
// and a change on the unit reaches them at the next tick.
#include <gtest/gtest.h>

#include <QTableWidget>

#include "app_fixture.h"
#include "base/zelcomm_binding.h"
#include "display/view/form_grid_display.h"
#include "display/view/form_lin_gage.h"
#include "display/view/lgauge.h"
#include "emulator_process.h"
#include "file_bytes.h"
#include "two_probe_setup.h"

namespace {

class AppWithEmulator : public ::testing::Test {
  protected:
    zeltest::TempFolder devices;
    zeltest::ScopedEnv deviceDir{"ZEL_DEVICE_DIR", devices.path().c_str()};
    zeltest::EmulatorProcess emulator{ZEL8D_PATH, devices.path()};
    std::vector<QString> failures;
    zelapp::ZelcommBinding binding{QString::fromUtf8(ZELCOMM_DIR),
                                   [this](const QString &m) { failures.push_back(m); }};
    zeltest::AppFixture f;

    void SetUp() override {
        ASSERT_TRUE(emulator.start({"--set", "T1=0.0123", "--set", "T2=-0.004"}))
            << emulator.errors();
    }

    // Lets the unit scan its inputs, then runs one tick of the program.
    void scanAndTick() {
        ASSERT_EQ(emulator.control({"scan", "3"}).rfind("OK", 0), 0u);
        f.window()->Timer1_Timer();
    }

    QString cell(int row) {
        auto *grid =
            f.window()->gridWindow()->findChild<QTableWidget *>(QStringLiteral("GridView"));
        return grid != nullptr && grid->item(row, 1) != nullptr ? grid->item(row, 1)->text()
                                                                : QString();
    }
};

TEST_F(AppWithEmulator, TheGridAndTheBarsShowTheUnitsValues) {
    const QString path = QDir(f.programFolder()).filePath(QStringLiteral("shaft.zel"));
    zeltest::writeBytes(path, QByteArray(zeltest::kTwoProbeSetup));
    ASSERT_EQ(f.start(path + QStringLiteral(" /NUMS /BARS"), &binding),
              zelapp::StartupResult::Running);
    EXPECT_TRUE(failures.empty());
    ASSERT_NE(f.window()->gridWindow(), nullptr);
    ASSERT_NE(f.window()->barWindow(), nullptr);

    scanAndTick();
    // 0.0123 + -0.004 = 0.0083 at 4 decimals; 0.0163 at 3 decimals rounds to 0.016.
    EXPECT_EQ(cell(1), QStringLiteral(" 0.0083"));
    EXPECT_EQ(cell(2), QStringLiteral(" 0.016"));
    EXPECT_NEAR(f.window()->barWindow()->gauge(0)->value(), 0.0083, 1e-6);

    ASSERT_EQ(emulator.control({"set", "T2", "0.002"}).rfind("OK", 0), 0u);
    scanAndTick();
    EXPECT_EQ(cell(1), QStringLiteral(" 0.0143"));
    EXPECT_EQ(cell(2), QStringLiteral(" 0.010"));
    EXPECT_NEAR(f.window()->barWindow()->gauge(1)->value(), 0.0103, 1e-6);

    // The probe view shows the inputs themselves, always with 5 decimals.
    f.window()->commands().ViewLVDTs_Click();
    scanAndTick();
    EXPECT_EQ(cell(1), QStringLiteral(" 0.01230"));
    EXPECT_EQ(cell(2), QStringLiteral(" 0.00200"));
    // The program folder has no zelapp.ini; a healthy unit adds no message of its own.
    for (const auto &shown : f.prompter.shown) {
        EXPECT_EQ(shown.text, QStringLiteral("zelapp.ini file not found. Default values used."));
    }
}

}  // namespace
