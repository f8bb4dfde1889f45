#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "app/simplified_chinese.h"

int main(int argc, char** argv) {
    // The window tests never need a display; test discovery runs without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Started as the window starts.
    const auto application = kalvor::app::StartInSimplifiedChinese(
        [&argc, argv] { return std::make_unique<QApplication>(argc, argv); });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
