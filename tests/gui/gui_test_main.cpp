#include <QApplication>

#include <gtest/gtest.h>

#include "test_language.h"

// The widget tests run headless unless a display platform is asked for.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    trovel::testing_support::SpeakForTests();
    return RUN_ALL_TESTS();
}
