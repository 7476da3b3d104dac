// Runs the window tests inside one QApplication, headless.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    // Headless unless a session is asked for, also when CTest lists the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvel"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
