#include "app/ControllerPanel.h"

#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "records/PsfCodes.h"

namespace {

constexpr char kNoController[] =
    "No controller selected. Press F5 to find the controllers on the line.";
constexpr char kNoDiagnostics[] = "No diagnostics read in this run. Press F7 to read them.";
constexpr char kNoPsf[] = "No PSF read or sent in this run. Press F6 to edit the PSF.";
constexpr char kControllerType[] = "VARN with Blanking";

QLabel* AddGroup(QVBoxLayout* layout, const char* title, const char* name) {
    auto* group = new QGroupBox(QString::fromLatin1(title));
    auto* label = new QLabel(group);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(label);
    layout->addWidget(group);
    return label;
}

QString Stamp(const char* what, char id, std::time_t at) {
    return QStringLiteral("%1 %2 at %3")
        .arg(QString::fromLatin1(what), QChar::fromLatin1(id),
             QDateTime::fromSecsSinceEpoch(static_cast<qint64>(at))
                 .toString(QStringLiteral("HH:mm:ss")));
}

}  // namespace

CControllerPanel::CControllerPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("controllerPanel"));
    auto* layout = new QVBoxLayout(this);
    controller = AddGroup(layout, "Selected controller", "controller");
    diagnostics = AddGroup(layout, "Last diagnostics", "diagnostics");
    psf = AddGroup(layout, "Last PSF", "psf");
    layout->addStretch(1);
}

void CControllerPanel::Refresh(const ControllerTable& table) {
    notes.Commit();
    const int index = table[0][1] & 0x0F;
    if (table[0][0] == 0) {
        controller->setText(QString::fromLatin1(kNoController));
    } else {
        controller->setText(
            QStringLiteral("ID: %1    Rate: %2 baud    Type: %3")
                .arg(QChar::fromLatin1(static_cast<char>(table[0][0])),
                     QString::fromLatin1(index < static_cast<int>(kBaudRateTexts.size())
                                             ? kBaudRateTexts[static_cast<size_t>(index)]
                                             : "?"),
                     QString::fromLatin1(kControllerType)));
    }

    CDiagnosticsNote& read = notes.Diagnostics();
    if (read.id == 0) {
        diagnostics->setText(QString::fromLatin1(kNoDiagnostics));
    } else {
        diagnostics->setText(Stamp("Read from", read.id, read.at) +
                             QStringLiteral("\nSystem state: %1\nBoards: %2 emitter, %3 receiver\n"
                                            "Part number: %4    Version: %5    Date code: %6")
                                 .arg(QString::fromStdString(read.emitter.StateText(read.receiver)))
                                 .arg(read.emitter.BoardCount())
                                 .arg(read.receiver.BoardCount())
                                 .arg(QString::fromStdString(read.emitter.PartNumberText()),
                                      QString::fromStdString(read.emitter.VersionText()),
                                      QString::fromStdString(read.emitter.DateCodeText())));
    }

    const CPsfNote& last = notes.Psf();
    if (last.id == 0) {
        psf->setText(QString::fromLatin1(kNoPsf));
    } else {
        QString text = Stamp(last.sent ? "Sent to" : "Read from", last.id, last.at);
        for (const std::string& line : DescribePsf(last.psf)) {
            text += QLatin1Char('\n') + QString::fromStdString(line);
        }
        psf->setText(text);
    }
}
