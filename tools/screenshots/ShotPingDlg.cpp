// The controller search: its notice, and the Ping dialog for a line with three
// controllers, one of which is found at two rates; and the part number dialog.

#include <QFile>
#include <QTemporaryDir>

#include "Shots.h"
#include "SimLine.h"
#include "SimPort.h"
#include "app/PartNumberDlg.h"
#include "app/PingDlg.h"
#include "app/PingSession.h"
#include "app/SearchNoticeDlg.h"
#include "sequences/DateCode.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"
#include "settings/SettingsPath.h"

TARN_SCREENSHOT(SearchNotice) {
    CSearchNoticeDlg notice(nullptr);
    // A third of the way: the suspend is done and 9600 baud has been searched.
    notice.Suspended();
    for (char id = 'A'; id <= 'O'; ++id) {
        notice.BeforePing(id, 0);
    }
    notice.BeforePing('A', 1);
    SaveShot(&notice, outputFolder, "search-notice.png");
}

TARN_SCREENSHOT(PingDlg) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    line.AddController('A', 0);
    line.AddController('C', 2);
    line.AddController('F', 1);
    line.AddController('F', 2);
    const CScopedPortFactory factory([&](int portNumber, long baud, char parity) {
        return std::make_unique<CSimPort>(line, clock, baud, parity, portNumber);
    });
    ControllerTable table{};
    CPingSession session(&table, nullptr, 1, 'E', 9600);
    if (!session.OpenConnection()) {
        return;
    }
    session.Link()->FindControllers(&table);
    CPingDlg dialog(&table, &session, true, nullptr);
    SaveShot(&dialog, outputFolder, "ping.png");
}

TARN_SCREENSHOT(PartNumberDlg) {
    QTemporaryDir folder;
    const std::string settings = folder.filePath(QStringLiteral("tarn.INI")).toStdString();
    QFile file(QString::fromStdString(settings));
    if (!file.open(QIODevice::WriteOnly)) {
        return;
    }
    file.write("[PartNumbers]\nStandard=104512\nLong=104518\nHeated=204512\n");
    file.close();
    OverrideSettingsFilePath(settings);
    const CScopedToday today({2024, 100});
    CPartNumberDlg dialog(nullptr);
    SaveShot(&dialog, outputFolder, "part-number.png");
    OverrideSettingsFilePath("");
}
