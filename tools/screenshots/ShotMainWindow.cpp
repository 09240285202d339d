// The main window as the operator first sees it.

#include "Shots.h"
#include "app/MainFrame.h"
#include "app/TarnApp.h"

TARN_SCREENSHOT(MainWindow) {
    CTarnApp app;
    CMainFrame frame(app);
    frame.resize(640, 420);
    SaveShot(&frame, outputFolder, "main-window.png");
}
