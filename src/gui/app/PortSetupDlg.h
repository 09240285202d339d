#pragma once
// The serial port setup: which device a COM port number opens. It lists the serial
// devices present (adapters by their stable names), takes the address of a device server
// on the network instead (with a Test that connects to it), and stores the operator's
// choice in the settings file's "Ports" section, so nobody has to edit that file by hand.

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "settings/SerialDevices.h"

namespace Ui {
class CPortSetupDlg;
}

class CPortSetupDlg : public QDialog {
    Q_OBJECT

public:
    // portIndex: the COM port shown first (0 is COM1); devices: what to offer.
    CPortSetupDlg(QWidget* parent, int portIndex, std::string settingsPath,
                  std::vector<CSerialDevice> devices);
    ~CPortSetupDlg() override;

    // The COM port whose device was chosen, 0-based; valid after the dialog was accepted.
    int ChosenPort() const;

    void accept() override;

private:
    void ShowCurrentDevice();
    // Connects to the address entered and tells the operator what answered.
    void TestAddress();
    // The address entered, or empty with the operator told how to write one; empty also
    // when none was entered (*entered false).
    std::string EnteredAddress(bool* entered);

    std::unique_ptr<Ui::CPortSetupDlg> ui;
    std::string settingsPath;
    std::vector<CSerialDevice> devices;
};

// The caption of the menu item that opens the setup, naming the device COM portIndex + 1
// now opens.
QString PortSetupCaption(int portIndex, const std::string& settingsPath);
