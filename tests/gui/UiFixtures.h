#pragma once
// Helpers of the UI tests: a settings file in a temporary folder, and a port factory
// whose ports follow a script and leave a record of everything that went over the line.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedPort.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"
#include "settings/SettingsPath.h"

// The settings file lives in a fresh folder for the lifetime of the object.
class CTempSettings {
public:
    CTempSettings() { OverrideSettingsFilePath(Path()); }
    ~CTempSettings() { OverrideSettingsFilePath(""); }
    CTempSettings(const CTempSettings&) = delete;
    CTempSettings& operator=(const CTempSettings&) = delete;

    std::string Path() const { return folder.filePath(QStringLiteral("tarn.INI")).toStdString(); }
    void Write(const std::string& text) const {
        QFile file(QString::fromStdString(Path()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    // The file's contents; "<none>" when there is no file.
    std::string Read() const {
        QFile file(QString::fromStdString(Path()));
        if (!file.open(QIODevice::ReadOnly)) {
            return "<none>";
        }
        return file.readAll().toStdString();
    }
    QString Folder() const { return folder.path(); }

private:
    QTemporaryDir folder;
};

// Installs a port factory for the lifetime of the object. Each port it makes is a
// scripted port on the given virtual clock, opened with the status set by SetOpenStatus;
// what each port was opened with and what went over its line stays in Opened().
class CRecordedLine {
public:
    struct Opening {
        int portNumber;
        long baud;
        char parity;
        std::vector<unsigned char> written;
        std::vector<CScriptedPort::Call> calls;
    };

    explicit CRecordedLine(CVirtualClock& clock)
        : factory([this, &clock](int portNumber, long baud, char parity) {
              opened.push_back({portNumber, baud, parity, {}, {}});
              auto port =
                  std::make_unique<CLoggedPort>(clock, baud, portNumber, *this, opened.size() - 1);
              port->SetStatus(openStatus);
              if (onOpen) {
                  onOpen(*port);
              }
              return port;
          }) {}

    void SetOpenStatus(int status) { openStatus = status; }
    // Called with every new port, e.g. to script a controller's replies.
    std::function<void(CScriptedPort&)> onOpen;
    const std::vector<Opening>& Opened() const { return opened; }

private:
    class CLoggedPort final : public CScriptedPort {
    public:
        CLoggedPort(CVirtualClock& clock, long baud, int portNumber, CRecordedLine& line,
                    size_t index)
            : CScriptedPort(clock, baud, portNumber), line(line), index(index) {}
        ~CLoggedPort() override {
            line.opened[index].written = Written();
            line.opened[index].calls = Calls();
        }

    private:
        CRecordedLine& line;
        size_t index;
    };

    std::vector<Opening> opened;
    int openStatus = kSuccess;
    CScopedPortFactory factory;
};
