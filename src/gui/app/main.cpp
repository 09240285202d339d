// The service program: one main window, every command in a modal dialog.

#include <QApplication>

#include "app/TarnApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    CTarnApp app;
    app.InitInstance();
    return QApplication::exec();
}
