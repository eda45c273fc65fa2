// The widget tests need one QApplication for the whole run, made before any test.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // The suite is meant for the offscreen platform; run by hand, it should not need a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
