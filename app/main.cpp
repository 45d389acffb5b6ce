#include "app/main_window.h"

#include <QApplication>

int main(int, char** argv)
{
    // Wayland lets no client place its own window or read the pointer: run through XWayland
    // unless the user chose a platform.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    // The program takes no command line, so Qt sees none either.
    int argumentCount = 1;
    char* arguments[] = {argv[0], nullptr};
    QApplication application(argumentCount, arguments);
    // The program ends when the widget closes, whatever other windows (the About box) are open.
    application.setQuitOnLastWindowClosed(false);

    qm::MainWindow window(QUILLMAST_HOST);
    QObject::connect(&window, &qm::MainWindow::closed, &application, &QCoreApplication::quit);
    window.onWindowCreated();
    window.show();
    application.exec();
    return 0;
}
