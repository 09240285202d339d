// The network serial port over a scripted connection in virtual time: what a device
// server sends is replayed as recorded, split into reads as a test chooses, and every
// byte the port sends is compared.

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

#include "TempFolder.h"
#include "protocol/ControllerLink.h"
#include "protocol/LineWords.h"
#include "serial/Clock.h"
#include "serial/NetworkPort.h"
#include "settings/PortFactory.h"
#include "settings/PortMapping.h"
#include "settings/SettingsPath.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Each Receive hands out the next recorded chunk; with none left it waits out its time on
// the virtual clock. Send takes at most sendRoom bytes in all.
class CScriptedSocket : public CSocket {
public:
    struct Shared {
        std::deque<Bytes> chunks;
        Bytes sent;
        bool closed = false;
        size_t sendRoom = SIZE_MAX;
        // Once the chunks are out: flood repeated for floodLeft bytes, a chunk per
        // Receive, each taking a millisecond. The budget bounds a test of a port that
        // would read on for ever.
        Bytes flood;
        size_t floodLeft = 0;
        size_t floodPhase = 0;
        size_t handedOut = 0;
    };
    CScriptedSocket(CVirtualClock& clock, Shared& shared) : clock(clock), shared(shared) {}

    SocketResult Send(const unsigned char* data, unsigned count, unsigned* sent,
                      int waitMs) override {
        // A server's last words arrive before its close is noticed.
        if (shared.closed && shared.chunks.empty()) {
            return SocketResult::kClosed;
        }
        *sent = static_cast<unsigned>(std::min<size_t>(count, shared.sendRoom));
        shared.sendRoom -= *sent;
        shared.sent.insert(shared.sent.end(), data, data + *sent);
        if (*sent < count) {
            clock.Advance(static_cast<uint32_t>(waitMs));
            return SocketResult::kTimeout;
        }
        return SocketResult::kDone;
    }
    SocketResult Receive(unsigned char* buffer, unsigned count, unsigned* got,
                         int waitMs) override {
        *got = 0;
        if (shared.chunks.empty() && shared.floodLeft > 0 && !shared.flood.empty()) {
            *got = static_cast<unsigned>(std::min<size_t>(count, shared.floodLeft));
            for (unsigned i = 0; i < *got; ++i) {
                buffer[i] = shared.flood[shared.floodPhase++ % shared.flood.size()];
            }
            shared.floodLeft -= *got;
            shared.handedOut += *got;
            clock.Advance(1);
            return SocketResult::kDone;
        }
        if (shared.chunks.empty()) {
            if (shared.closed) {
                return SocketResult::kClosed;
            }
            clock.Advance(static_cast<uint32_t>(waitMs));
            return SocketResult::kTimeout;
        }
        Bytes& chunk = shared.chunks.front();
        *got = static_cast<unsigned>(std::min<size_t>(count, chunk.size()));
        std::copy_n(chunk.begin(), *got, buffer);
        chunk.erase(chunk.begin(), chunk.begin() + *got);
        if (chunk.empty()) {
            shared.chunks.pop_front();
        }
        return SocketResult::kDone;
    }

private:
    CVirtualClock& clock;
    Shared& shared;
};

// A device server's opening as recorded: it offers and asks for binary transmission and
// suppress-go-ahead, offers echo, and asks for the COM port control.
const Bytes kServerOpening = {0xff, 0xfb, 0x03, 0xff, 0xfd, 0x03, 0xff, 0xfb, 0x01, 0xff, 0xfe,
                              0x01, 0xff, 0xfd, 0x00, 0xff, 0xfb, 0x00, 0xff, 0xfd, 0x2c, 0xff,
                              0xfd, 0x03, 0xff, 0xfa, 0x2c, 0x6b, 0x00, 0xff, 0xf0};
// Its answers to 9600 baud, 8 data bits, even parity, two stop bits.
const Bytes kServerSettings = {0xff, 0xfa, 0x2c, 0x65, 0x00, 0x00, 0x25, 0x80, 0xff, 0xf0, 0xff,
                               0xfa, 0x2c, 0x66, 0x08, 0xff, 0xf0, 0xff, 0xfa, 0x2c, 0x67, 0x03,
                               0xff, 0xf0, 0xff, 0xfa, 0x2c, 0x68, 0x02, 0xff, 0xf0};

const Bytes kClientOffers = {0xff, 0xfb, 0x00, 0xff, 0xfd, 0x00, 0xff, 0xfb,
                             0x03, 0xff, 0xfd, 0x03, 0xff, 0xfb, 0x2c};
const Bytes kRefuseEcho = {0xff, 0xfe, 0x01};
const Bytes kClientSettings = {0xff, 0xfa, 0x2c, 0x01, 0x00, 0x00, 0x25, 0x80, 0xff, 0xf0, 0xff,
                               0xfa, 0x2c, 0x02, 0x08, 0xff, 0xf0, 0xff, 0xfa, 0x2c, 0x03, 0x03,
                               0xff, 0xf0, 0xff, 0xfa, 0x2c, 0x04, 0x02, 0xff, 0xf0};
const Bytes kRtsOnDtrOff = {0xff, 0xfa, 0x2c, 0x05, 0x0b, 0xff, 0xf0,
                            0xff, 0xfa, 0x2c, 0x05, 0x09, 0xff, 0xf0};

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class NetworkPortTest : public ::testing::Test {
protected:
    // Opens the port as every command does: 9600, even parity, 8 data bits, DTR off, RTS on.
    std::unique_ptr<CNetworkPort> Open(
        CNetworkAddress::Kind kind = CNetworkAddress::Kind::kRfc2217) {
        return std::make_unique<CNetworkPort>(1, CNetworkAddress{kind, "192.0.2.10", 4001}, 9600,
                                              'E', 8, 1, 0, 1, 0, 0, 0,
                                              std::make_unique<CScriptedSocket>(*clock, server));
    }
    std::unique_ptr<CNetworkPort> OpenNegotiated() {
        server.chunks = {kServerOpening, kServerSettings};
        auto port = Open();
        server.sent.clear();
        return port;
    }

    CScopedVirtualClock clock{5000};
    CScriptedSocket::Shared server;
    unsigned char buffer[16] = {};
};

TEST_F(NetworkPortTest, NegotiatesTheOptionsAndSetsTheLineAsARecordedServerAnswers) {
    server.chunks = {kServerOpening, kServerSettings};
    auto port = Open();
    ASSERT_EQ(0, port->Status()) << port->StatusText(port->Status());
    EXPECT_EQ(1, port->ControlsLine());
    EXPECT_EQ(Join({kClientOffers, kRefuseEcho, kClientSettings, kRtsOnDtrOff}), server.sent);
    EXPECT_EQ(9600, port->Current().baud);
    EXPECT_EQ('E', port->Current().parity);

    // A server that refuses the COM port control keeps its line at the address's fixed
    // rate; another rate is refused by name, the settings only recorded.
    server = {};
    server.chunks = {{0xff, 0xfe, 0x2c, 0xff, 0xfd, 0x00}};
    auto fixed = Open();
    EXPECT_EQ(0, fixed->Status());
    EXPECT_EQ(0, fixed->ControlsLine());
    EXPECT_EQ(9600, fixed->FixedBaud());
    EXPECT_EQ(kClientOffers, server.sent);
    EXPECT_EQ(0, fixed->Configure(9600, 'N', -1, -1));
    EXPECT_EQ(kIllegalBaudRate, fixed->Configure(38400, -1, -1, -1));
    EXPECT_STREQ(
        "The device server at 192.0.2.10:4001 refused the COM port control and keeps its line "
        "at 9600 baud; 38400 baud cannot be set",
        fixed->StatusText(kIllegalBaudRate));
    EXPECT_EQ(9600, fixed->Current().baud);
    EXPECT_EQ('N', fixed->Current().parity);
    EXPECT_EQ(kClientOffers, server.sent);
}

TEST_F(NetworkPortTest, AnswersSplitAcrossReadsAndAnotherRateThanAskedFor) {
    auto port = OpenNegotiated();
    // 38400 asked; the server's line runs at 19200, its answer arrives in three pieces
    // with a data byte between the answers.
    server.chunks = {{0xff, 0xfa, 0x2c, 0x65, 0x00},
                     {0x00, 0x4b, 0x00, 0xff},
                     {0xf0, 0x41, 0xff, 0xfa, 0x2c, 0x66, 0x08, 0xff, 0xf0, 0xff, 0xfa, 0x2c,
                      0x67, 0x03, 0xff, 0xf0, 0xff, 0xfa, 0x2c, 0x68, 0x02, 0xff, 0xf0}};
    EXPECT_EQ(kIllegalBaudRate, port->Configure(38400, -1, -1, -1));
    EXPECT_EQ(19200, port->Current().baud);
    EXPECT_STREQ(
        "The device server at 192.0.2.10:4001 set its line to 19200 baud instead of "
        "38400 baud",
        port->StatusText(kIllegalBaudRate));
    EXPECT_EQ(0x00, server.sent[4]);
    EXPECT_EQ(0x96, server.sent[6]);  // 38400 went out as 00 00 96 00
    EXPECT_EQ(0, port->Read(buffer, 1, 0));
    EXPECT_EQ(0x41, buffer[0]);

    // A server that does not answer lets Configure end within its bound; the rate is
    // the last one the server reported.
    const uint32_t start = TickCount();
    EXPECT_EQ(kNoModemResponse, port->Configure(9600, -1, -1, -1));
    EXPECT_LE(TicksSince(start), static_cast<uint32_t>(CNetworkPort::kAnswerWaitMs + 5));
    EXPECT_EQ(0, port->Status());
    EXPECT_EQ(19200, port->Current().baud);
    EXPECT_STREQ("The device server at 192.0.2.10:4001 did not confirm 9600 baud",
                 port->StatusText(kNoModemResponse));
}

TEST_F(NetworkPortTest, IacIsDoubledOnTheWayOutAndUndoubledOnTheWayIn) {
    auto port = OpenNegotiated();
    const unsigned char frame[] = {0x01, 0xff, 0x02};
    EXPECT_EQ(0, port->Write(frame, 3, 200));
    EXPECT_EQ(3u, port->ByteCount());
    EXPECT_EQ((Bytes{0x01, 0xff, 0xff, 0x02}), server.sent);

    // Data IACs split between reads, and a command between data bytes.
    server.chunks = {{0x41, 0xff}, {0xff, 0x42, 0xff, 0xf1, 0xff, 0xff}, {0x43}};
    EXPECT_EQ(0, port->Read(buffer, 4, 200));
    EXPECT_EQ((Bytes{0x41, 0xff, 0x42, 0xff}), Bytes(buffer, buffer + 4));
    EXPECT_EQ(0, port->Read(buffer, 1, 200));
    EXPECT_EQ(0x43, buffer[0]);

    // Room for only the first half of a doubled IAC: the byte counts as written and its
    // second half goes before the next bytes.
    server.sent.clear();
    server.sendRoom = 2;
    EXPECT_EQ(kTimeout, port->Write(frame, 3, 0));
    EXPECT_EQ(2u, port->ByteCount());
    server.sendRoom = SIZE_MAX;
    EXPECT_EQ(0, port->Write(frame + 2, 1, 0));
    EXPECT_EQ((Bytes{0x01, 0xff, 0xff, 0x02}), server.sent);
}

TEST_F(NetworkPortTest, RawTcpPassesEveryByteAndOnlyRecordsTheSettings) {
    auto port = Open(CNetworkAddress::Kind::kRawTcp);
    ASSERT_EQ(0, port->Status());
    EXPECT_TRUE(server.sent.empty());
    EXPECT_EQ(kIllegalBaudRate, port->Configure(38400, -1, -1, -1));
    EXPECT_STREQ(
        "The device server at 192.0.2.10:4001 keeps its line at 9600 baud; 38400 baud cannot "
        "be set",
        port->StatusText(kIllegalBaudRate));
    EXPECT_EQ(9600, port->Current().baud);
    const unsigned char frame[] = {0xff, 0xfa};
    EXPECT_EQ(0, port->Write(frame, 2, 0));
    EXPECT_EQ((Bytes{0xff, 0xfa}), server.sent);
    server.chunks = {{0xff, 0xff, 0xf0}};
    EXPECT_EQ(0, port->Read(buffer, 3, 0));
    EXPECT_EQ((Bytes{0xff, 0xff, 0xf0}), Bytes(buffer, buffer + 3));
}

TEST_F(NetworkPortTest, ReadKeepsItsWindowAndDiscardDropsWhatWasBuffered) {
    auto port = OpenNegotiated();
    EXPECT_EQ(kTimeout, port->Read(buffer, 4, 200));
    EXPECT_GE(port->ElapsedMs(), 200);
    EXPECT_LE(port->ElapsedMs(), 205);

    // Bytes already here and bytes still in the connection both go; the server purges its
    // own receive buffer.
    server.chunks = {{0x41, 0x42}, {0x43}};
    EXPECT_EQ(0, port->Read(buffer, 1, 0));
    EXPECT_EQ(0, port->DiscardInput());
    EXPECT_EQ((Bytes{0xff, 0xfa, 0x2c, 0x0c, 0x01, 0xff, 0xf0}), server.sent);
    EXPECT_EQ(kTimeout, port->Read(buffer, 1, 0));
}

TEST_F(NetworkPortTest, ALostOrSilentServerIsReportedByItsAddress) {
    auto port = OpenNegotiated();
    server.closed = true;
    EXPECT_EQ(kDeviceGone, port->Read(buffer, 1, 200));
    EXPECT_EQ(kDeviceGone, port->Status());
    EXPECT_STREQ("Connection to 192.0.2.10:4001 lost", port->StatusText(kDeviceGone));
    EXPECT_STREQ("Timeout", port->StatusText(kTimeout));

    // A server that never takes up the offers.
    server = {};
    const uint32_t start = TickCount();
    auto silent = Open();
    EXPECT_EQ(kPortNotFound, silent->Status());
    EXPECT_STREQ("No answer from 192.0.2.10:4001", silent->StatusText(silent->Status()));
    EXPECT_LE(TicksSince(start), static_cast<uint32_t>(CNetworkPort::kAnswerWaitMs + 5));
}

// Floods of every kind a misbehaving server sends: each call of the port ends within its
// own time, keeps a bounded input and answers a repeated offer once; a change of settings
// or the discard of the input takes a bounded share of the flood and then gives the
// connection up as flooded, while a burst that a line could carry is discarded and the
// port stays usable.
TEST_F(NetworkPortTest, AFloodOfAnyKindEndsEveryCallInTimeAndKeepsTheInputBounded) {
    struct Flood {
        const char* name;
        Bytes start;
        Bytes pattern;
        bool losesInput;  // a subnegotiation too long to keep
    };
    const Flood floods[] = {
        {"IAC NOP", {}, {0xff, 0xf1}, false},
        {"data 0xFF as IAC IAC", {}, {0xff, 0xff}, false},
        {"data", {}, {0x55}, false},
        {"subnegotiation without end", {0xff, 0xfa, 0x2c, 0x65}, {0x41}, true},
        {"repeated offer", {}, {0xff, 0xfb, 0x01}, false},
    };
    constexpr size_t kBudget = size_t{8} << 20;
    const char* const flooded =
        "The connection to 192.0.2.10:4001 carries data nobody asked for and never falls quiet";
    for (const Flood& flood : floods) {
        SCOPED_TRACE(flood.name);
        for (const bool configure : {true, false}) {
            auto port = OpenNegotiated();
            server.chunks = {flood.start};
            server.flood = flood.pattern;
            server.floodLeft = kBudget;

            uint32_t start = TickCount();
            port->Read(buffer, sizeof buffer, 200);
            EXPECT_LE(TicksSince(start), 206u);
            EXPECT_LT(server.sent.size(), 100u);  // a refusal at most once

            // What stayed unread is at most the limit, and its loss is reported.
            server.floodLeft = 0;
            size_t unread = 0;
            while (port->Read(buffer, 1, 0) == 0) {
                ++unread;
            }
            EXPECT_LE(unread, CNetworkPort::kInputLimit);
            EXPECT_EQ(flood.losesInput ? 1 : 0, port->InputOverflowFlag(1));
            EXPECT_EQ(0, port->InputOverflowFlag(0));

            server.floodLeft = CNetworkPort::kDiscardBytes - 1;
            EXPECT_EQ(0, port->DiscardInput());
            server.floodLeft = kBudget;
            server.handedOut = 0;
            start = TickCount();
            EXPECT_EQ(kDeviceGone,
                      configure ? port->Configure(19200, -1, -1, -1) : port->DiscardInput());
            EXPECT_LE(TicksSince(start), static_cast<uint32_t>(CNetworkPort::kDiscardMs + 1));
            EXPECT_LE(server.handedOut, CNetworkPort::kDiscardBytes + 1024u);
            EXPECT_STREQ(flooded, port->StatusText(port->Status()));
            server = {};
        }
    }
}

// What a server says or does instead of taking up the offers is told in its own words.
TEST_F(NetworkPortTest, AServerThatWillNotServeIsToldInItsOwnWords) {
    struct Case {
        const char* name;
        Bytes says;
        bool closes;
        int status;
        const char* told;
    };
    const Bytes inUse = {'P', 'o', 'r', 't', ' ', 'a', 'l', 'r', 'e',  'a', 'd',
                         'y', ' ', 'i', 'n', ' ', 'u', 's', 'e', '\r', '\n'};
    const Case cases[] = {
        {"text, then closed", inUse, true, kPortInUse,
         "The device server at 192.0.2.10:4001 refused the connection: Port already in use"},
        {"closed", {}, true, kDeviceGone, "Connection to 192.0.2.10:4001 lost"},
        {"silent", {}, false, kPortNotFound, "No answer from 192.0.2.10:4001"},
        {"WONT COM-PORT-OPTION",
         {0xff, 0xfc, 0x2c},
         false,
         0,
         "The device server at 192.0.2.10:4001 refused the COM port control and keeps its line "
         "at 9600 baud; 19200 baud cannot be set"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server = {};
        server.chunks = {c.says};
        server.closed = c.closes;
        const uint32_t start = TickCount();
        auto port = Open();
        EXPECT_LE(TicksSince(start), static_cast<uint32_t>(CNetworkPort::kAnswerWaitMs + 5));
        EXPECT_EQ(c.status, port->Status());
        const int told = c.status != 0 ? c.status : port->Configure(19200, -1, -1, -1);
        EXPECT_STREQ(c.told, port->StatusText(told));
    }
}

// A device server's overlong command is dropped, and the line tap hears of it with the
// exchange during which it came, and only then.
TEST_F(NetworkPortTest, AnOverlongCommandIsDroppedAndTheLineTapHearsOfIt) {
    Bytes overlong = {0xff, 0xfa, 0x2c, 0x65};
    overlong.resize(overlong.size() + CTelnetDecoder::kMaxPayload + 1, 0x41);
    overlong.insert(overlong.end(), {0xff, 0xf0});
    auto port = OpenNegotiated();
    server.chunks = {overlong};
    CControllerLink link(std::move(port), 'A');
    struct CRecorder : CLineObserver {
        std::vector<CLineExchange> seen;
        void OnExchange(const CLineExchange& exchange) override { seen.push_back(exchange); }
        void OnVerdictChanged(LineVerdict) override {}
    } recorder;
    const CScopedLineObserver tap(&recorder);
    EXPECT_EQ(0, link.Ping('A'));
    EXPECT_EQ(0, link.Ping('A'));
    ASSERT_EQ(2u, recorder.seen.size());
    EXPECT_TRUE(recorder.seen[0].inputLost);
    EXPECT_EQ(
        "no answer within the limit; input lost: more came than the port keeps, or the "
        "device server sent an overlong command, dropped",
        DescribeVerdict(recorder.seen[0]));
    EXPECT_FALSE(recorder.seen[1].inputLost);
}

TEST(NetworkAddressTest, AcceptsTheTwoSchemesWithAPortAndNothingElse) {
    CNetworkAddress address;
    ASSERT_EQ(1, ParseNetworkAddress("rfc2217://192.0.2.10:4001", &address));
    EXPECT_EQ(CNetworkAddress::Kind::kRfc2217, address.kind);
    EXPECT_EQ("192.0.2.10:4001", address.HostAndPort());
    ASSERT_EQ(1, ParseNetworkAddress("tcp://[::1]:65535", &address));
    EXPECT_EQ(CNetworkAddress::Kind::kRawTcp, address.kind);
    EXPECT_EQ("::1", address.host);
    EXPECT_EQ("[::1]:65535", address.HostAndPort());
    EXPECT_EQ(9600, address.fixedBaud);
    ASSERT_EQ(1, ParseNetworkAddress("tcp://[::1]:4001?baud=19200", &address));
    EXPECT_EQ("::1", address.host);
    EXPECT_EQ(4001u, address.port);
    EXPECT_EQ(19200, address.fixedBaud);
    for (const char* text :
         {"/dev/ttyUSB0", "rfc2217://host", "rfc2217://host:0", "tcp://host:65536", "tcp://:4001",
          "tcp://host:40x1", "udp://h:1", "tcp://h:1?baud=", "tcp://h:1?baud=0",
          "tcp://h:1?baud=96OO", "tcp://h:1?rate=9600", "tcp://h:1?baud=9600&x=1"}) {
        EXPECT_EQ(0, ParseNetworkAddress(text, &address)) << text;
    }
}

TEST(NetworkAddressTest, ATextOfTheSchemesThatIsNoAddressIsRefusedAndAPasswordNeverShown) {
    struct Case {
        const char* text;
        const char* shown;
        const char* refusal;
    };
    const Case cases[] = {
        {"rfc2217://host", "rfc2217://host", "is not an address of the form rfc2217://host:port"},
        {"tcp://:80", "tcp://:80", "is not an address of the form tcp://host:port"},
        {"rfc2217://h:99999", "rfc2217://h:99999",
         "is not an address of the form rfc2217://host:port"},
        {"rfc2217://user:secret@h:4001", "rfc2217://h:4001",
         "carries a user name or password, which a device server does not take; the form is "
         "rfc2217://host:port"},
        {"rfc2217://h:4001", "rfc2217://h:4001", ""},
        {"/dev/ttyUSB0", "/dev/ttyUSB0", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.shown, ShownAddress(c.text)) << c.text;
        EXPECT_EQ(c.refusal, NetworkAddressRefusal(c.text)) << c.text;
    }

    // A COM port mapped to such a text is refused by name, not opened as a device.
    const CTempFolder folder;
    OverrideSettingsFilePath(folder.File("tarn.INI"));
    ASSERT_EQ(1, MapPortToDevice(1, "rfc2217://host", SettingsFilePath()));
    auto mapped = OpenSerialDevice(1, 9600, 'E', "");
    EXPECT_EQ(kPortNotFound, mapped->Status());
    EXPECT_STREQ(
        "COM2 is mapped to 'rfc2217://host', which is not an address of the form "
        "rfc2217://host:port",
        mapped->StatusText(mapped->Status()));
    auto given = OpenSerialDevice(1, 9600, 'E', "tcp://u:pw@h:1");
    EXPECT_EQ(std::string(given->StatusText(given->Status())).find("pw"), std::string::npos);
    OverrideSettingsFilePath("");
}

}  // namespace
