#pragma once
// The Commissioning Report command: with every known controller suspended and the port
// flushed, the selected controller's diagnostics, PSF and blanking map are read; once
// the line is resumed, the operator adds an optional note and the report is written as
// a PDF file or printed. When any read fails, the operator is told which and nothing is
// written.

#include "app/CommissioningReport.h"
#include "app/ServiceSession.h"

class CReportSession : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

    // Reads the three parts into contents under the service bracket; 1 when all answered.
    int ReadReport(CReportContents& contents);

protected:
    // 1 when the report was written or printed.
    int Execute() override;

private:
    int ReadParts(CReportContents& contents);
    int Output(CReportContents& contents, bool toPrinter);
    void Tell(const QString& text);
};
