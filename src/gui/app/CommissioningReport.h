#pragma once
// The commissioning report: what a controller was set to, as a document for the
// acceptance record and the next technician. It holds the controller's diagnostics, PSF
// and blanking map as read, lays them out as pages and writes them as a PDF file or to a
// printer. The layout fits both A4 and Letter pages.

#include <QDateTime>
#include <QString>

#include "protocol/Diagnostics.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"

class QPageLayout;
class QPrinter;
class QWidget;

struct CReportContents {
    QDateTime when;
    int controllerId = 0;
    long baudRate = 0;
    CDiagnostics emitter;
    CDiagnostics receiver;
    CPsf psf;
    CBlankingMap map;
    QString note;
};

// The report's name, which a file or a print job of it is suggested to take: the title,
// the controller's ID, the emitter's part number and the day it was read, e.g.
// "Commissioning Report A 4711042 2026-05-14".
QString ReportName(const CReportContents& contents);
// The report as rich text.
QString ReportHtml(CReportContents& contents);
// Asks over owner for a printer and prints the report there; 1 when printed, 0 when the
// operator cancelled, -1 when the job failed, with *failure saying so in words.
int PrintReport(CReportContents& contents, QWidget* owner, QString* failure);
// Prints the report on a printer already set up. Printing to a PDF file writes the file
// as WriteReportPdf does, complete or not at all, on the printer's pages. False when the
// job failed.
bool PrintReportTo(CReportContents& contents, QPrinter& printer);
// Writes the report as a PDF file at path on pages of the size the locale uses (Letter
// where the US measures, else A4), replacing any old file only once the new one is
// complete. True when written.
bool WriteReportPdf(CReportContents& contents, const QString& path);
bool WriteReportPdf(CReportContents& contents, const QString& path, const QPageLayout& layout);
