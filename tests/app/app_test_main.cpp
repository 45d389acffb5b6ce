#include <gtest/gtest.h>

#include <QApplication>

// Widget tests need one QApplication for the whole run. They draw offscreen unless told otherwise,
// so test discovery and direct runs work without a display too.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
