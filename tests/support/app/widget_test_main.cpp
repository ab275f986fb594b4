// main of the widget tests: one QApplication (offscreen in ctest) for all cases of a program.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char **argv) {
    // ctest lists the cases before it runs them, without the tests' environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
