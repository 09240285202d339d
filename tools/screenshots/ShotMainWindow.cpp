// The main window as the operator first sees it.

#include "Shots.h"
#include "app/HelpFile.h"
#include "app/MainFrame.h"

TARN_SCREENSHOT(MainWindow) {
    CHelpFile helpFile;
    CMainFrame frame(helpFile);
    frame.resize(640, 420);
    SaveShot(&frame, outputFolder, "main-window.png");
}
