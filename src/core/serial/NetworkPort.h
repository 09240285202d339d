#pragma once
// CNetworkPort: a serial line behind a device server on the network, an RS232 like the
// operating system's port. With an rfc2217:// address it speaks Telnet with the COM port
// control option, so the server sets the line's rate, format and DTR/RTS as the program
// asks and purges its buffers; with a tcp:// address the bytes pass unchanged and the
// server keeps its line settings. Every call is bounded in time as a serial port's is: a
// primitive read waits at most a few milliseconds.

#include <bitset>
#include <memory>
#include <string>
#include <vector>

#include "serial/NetworkAddress.h"
#include "serial/RS232.h"
#include "serial/Socket.h"
#include "serial/Telnet.h"

class CNetworkPort : public virtual RS232 {
public:
    // How long the connection, the server's answer to the option offers and its answer to
    // a change of the line settings may take.
    static constexpr int kConnectWaitMs = 3000;
    static constexpr int kAnswerWaitMs = 1000;
    // Unread input kept at most (the bytes beyond it are lost, as a serial port's
    // overrun loses them), and the bounds of DiscardInput.
    static constexpr size_t kInputLimit = 16384;
    static constexpr unsigned kDiscardBytes = 4096;
    static constexpr int kDiscardMs = 50;

    // Connects to address (or takes connection, already made, when given), negotiates the
    // options and applies the nine line values as CComPort does (-1 keeps the server's).
    // Status() is 0 when the port is usable, else why not; the text names the server.
    CNetworkPort(int portNumber, const CNetworkAddress& address, long baud, int parity,
                 int wordLength, int stopBits, int dtr, int rts, int xonXoff, int rtsCts,
                 int dtrDsr, std::unique_ptr<CSocket> connection = nullptr);
    ~CNetworkPort() override;

    int ReadBytes(unsigned char* buffer, unsigned count) override;
    int WriteBytes(const unsigned char* buffer, unsigned count) override;
    int GetByte() override;
    int PutByte(int byte) override;
    // Asks the server for the settings and waits for its answers; the rate it reports
    // becomes the current rate (kIllegalBaudRate when it is not the one asked for,
    // kNoModemResponse with the rate as it was when it does not answer). A server without
    // line control only has the settings recorded, and its line keeps the address's fixed
    // rate: another rate is kIllegalBaudRate. StatusText names the server and the rates.
    int Configure(long baud, int parity, int wordLength, int stopBits) override;
    long FixedBaud() const override { return ControlsLine() == 0 ? address.fixedBaud : 0; }
    int ParityErrorFlag(int clear) override;
    // 1 when input was lost: more arrived than kInputLimit bytes unread, or the server
    // sent a subnegotiation longer than the decoder keeps.
    int InputOverflowFlag(int clear) override;
    int BreakFlag(int clear) override;
    int FramingErrorFlag(int clear) override;
    int OverrunFlag(int clear) override;
    // Purge the server's buffer (when it controls the line) and what has arrived here,
    // taking at most kDiscardBytes from the connection for at most kDiscardMs: a server
    // that keeps sending cannot hold the program here. kDiscardBytes taken is a flood (as
    // it is while Configure awaits the answers): the connection is closed and the port is
    // kDeviceGone, its text saying so.
    int DiscardInput() override;
    int DiscardOutput() override;
    const char* StatusText(int code) const override;

    const CNetworkAddress& Address() const { return address; }
    // 1 when the server sets the line as asked, 0 when its settings are fixed.
    int ControlsLine() const { return comPortControl == 1 ? 1 : 0; }

private:
    int Negotiate();
    // The connection closed while the options were negotiated: the server's own text,
    // when it sent one, as the reason, else the connection lost.
    int RefusedOrLost();
    void SetControl(int dtr, int rts);
    // Sends what must go out before any data (commands, the rest of a doubled IAC).
    int SendPending();
    // Waits at most waitMs for bytes from the server and takes them in; *received, when
    // given, tells how many came over the connection.
    SocketResult Pump(int waitMs, unsigned* received = nullptr);
    // Drops the unread input beyond kInputLimit.
    void LimitInput();
    void Handle(const CTelnetCommand& command);
    // Appends IAC verb option unless refused already holds option, and notes it there.
    void RefuseOnce(std::bitset<256>& refused, unsigned char verb, unsigned char option);
    void TakeAnswer(const CTelnetPayload& payload);
    void SendComPortCommand(unsigned char command, std::vector<unsigned char> value);
    // Status code with a text naming the server.
    int Fail(int code, const char* format);
    // kDiscardBytes came unasked, while the input was discarded or the server's answer
    // awaited: more than the line behind a server carries between two exchanges, so no
    // reply could be told from it. The connection is closed, and ends the command as a
    // lost one does, so that a new one can resume the controllers.
    int FailFlooded();
    // A rate change that did not happen: code with text, which the port's StatusText
    // gives for code until the next one; the port stays usable.
    int RateFailure(int code, const std::string& text);
    int LineFlag(int clear);

    CNetworkAddress address;
    std::unique_ptr<CSocket> socket;
    bool telnetMode;
    CTelnetDecoder decoder;
    std::vector<unsigned char> input;  // data received and not yet read
    size_t inputStart = 0;
    std::vector<unsigned char> pending;  // bytes to send before anything else
    std::bitset<256> oursOn;             // options we offered and the server did not refuse
    std::bitset<256> refusedOurs;        // options we answered WONT (once each)
    std::bitset<256> refusedTheirs;      // options we answered DONT (once each)
    bool inputLost = false;
    int comPortControl = -1;  // -1 not answered yet, 0 refused, 1 agreed
    unsigned awaited = 0;     // settings answers still missing (bit per command)
    long reportedBaud = -1;
    std::string statusDetail;
    int rateCode = 0;
    std::string rateDetail;
};
