// What tarnsim serves: its options and configuration file, the line built from them,
// the moving object, and the line's next-event and history queries its server relies on.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "MovingObject.h"
#include "SimFixture.h"
#include "SimSetup.h"

namespace {

class SimSetupTest : public SimTest {
protected:
    // Takes the command line; answers 1 or 0, keeping the error.
    int Take(const std::vector<std::string>& arguments) {
        return TakeSetupArguments(setup, arguments, error);
    }
    int Build() { return BuildLine(setup, line, error); }

    SimSetup setup;
    std::string error;
};

TEST_F(SimSetupTest, AControllerWithEverySettingIsBuiltAsDescribed) {
    ASSERT_EQ(1, Take({"--controller",
                       "B,9600,parity=N,emitters=2,receivers=3,blocked=10-12,blocked=128,"
                       "error=r:3:17,error=e:1:64,part=1040200,date=2107,meas=JK",
                       "--controller=C,38400"}))
        << error;
    ASSERT_EQ(2u, setup.controllers.size());
    const SimControllerSetup& b = setup.controllers[0];
    EXPECT_EQ('B', b.id);
    EXPECT_EQ(0, b.baudIndex);
    EXPECT_EQ(0, b.parityIndex);
    EXPECT_EQ(2, setup.controllers[1].baudIndex);
    EXPECT_EQ(2, setup.controllers[1].parityIndex);  // even unless told
    ASSERT_EQ(1, Build()) << error;

    CSimController& built = line.Controller(0);
    EXPECT_EQ(2, built.Boards(kEmitter));
    EXPECT_EQ(3, built.Boards(kReceiver));
    EXPECT_EQ('N', built.Format().parity);
    for (int channel = 0; channel < 128; ++channel) {
        const bool blocked = (channel >= 9 && channel <= 11) || channel == 127;
        EXPECT_EQ(blocked, built.IsBlocked(channel)) << channel;
    }
    EXPECT_EQ('J', built.Psf().GetMeasMode(1));
    EXPECT_EQ('K', built.Psf().GetMeasMode(2));
    EXPECT_EQ('A', line.Controller(1).Psf().GetMeasMode(1));  // the default modes
    EXPECT_EQ('E', line.Controller(1).Psf().GetMeasMode(2));

    // The part number, date code and channel errors as the diagnostics reply shows them.
    port->Configure(9600, 'N', -1, -1);
    Bytes expected = {0x00, 0x0F, 0xDF, 0x48, 0x08, 0x3B, 0x21, 3};
    expected.resize(expected.size() + 3 * 8, 0);
    expected[8 + 2 * 8 + 2] = 0x80;  // receiver board 3, channel 17
    EXPECT_EQ(Reply('B', 'j', expected), Exchange(Request('B', 'J')));
    const Bytes emitter = Exchange(Request('B', 'I'));
    ASSERT_EQ(28u, emitter.size());
    EXPECT_EQ(0x01, emitter[11 + 7]);  // emitter board 1, channel 64
}

TEST_F(SimSetupTest, BadOptionsAreRefusedWithTheTextAtFault) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--controller", "Z,9600"}, "\"Z,9600\""},
        {{"--controller", "A,4800"}, "\"A,4800\""},
        {{"--controller", "A"}, "\"A\""},
        {{"--controller", "A,9600,parity=M"}, "\"parity=M\""},
        {{"--controller", "A,9600,emitters=13"}, "\"emitters=13\""},
        {{"--controller", "A,9600,blocked=0"}, "\"blocked=0\""},
        {{"--controller", "A,9600,blocked=5-3"}, "\"blocked=5-3\""},
        {{"--controller", "A,9600,error=x:1:1"}, "\"error=x:1:1\""},
        {{"--controller", "A,9600,error=r:1:65"}, "\"error=r:1:65\""},
        {{"--controller", "A,9600,date=65536"}, "\"date=65536\""},
        {{"--controller", "A,9600,meas=AL"}, "\"meas=AL\""},
        {{"--controller", "A,9600,colour=red"}, "\"colour=red\""},
        {{"--controller", "A,9600,emitters"}, "\"emitters\""},
        {{"--fault", "A,gremlins"}, "\"A,gremlins\""},
        {{"--fault", "A,noise,bytes=1C4"}, "\"bytes=1C4\""},
        {{"--fault", "A,silence,frames=0"}, "\"frames=0\""},
        {{"--object", "0,1000"}, "\"0,1000\""},
        {{"--object", "8,50"}, "\"8,50\""},
        {{"--link"}, "\"--link\""},
        {{"--link="}, "the link needs a path"},
        {{"controller", "A,9600"}, "not an option: \"controller\""},
        {{"--speed", "9600"}, "unknown option: \"speed\""},
    };
    for (const auto& [arguments, expected] : cases) {
        SimSetup fresh;
        error.clear();
        EXPECT_EQ(0, TakeSetupArguments(fresh, arguments, error)) << arguments.back();
        EXPECT_NE(std::string::npos, error.find(expected)) << error;
    }
}

TEST_F(SimSetupTest, FaultsGoToEveryControllerWithTheirId) {
    ASSERT_EQ(1, Take({"--controller", "A,9600", "--controller", "A,19200", "--fault",
                       "A,lateReply,delay=300,frames=always", "--fault",
                       "A,noise,bytes=1C41,frames=2", "--trace", "--object", "none"}))
        << error;
    EXPECT_TRUE(setup.trace);
    EXPECT_EQ(0, setup.objectWidth);
    ASSERT_EQ(1, Build()) << error;
    for (int index = 0; index < 2; ++index) {
        const std::vector<SimFault>& faults = line.Controller(index).Faults().Active();
        ASSERT_EQ(2u, faults.size());
        EXPECT_EQ(SimFaultKind::lateReply, faults[0].kind);
        EXPECT_EQ(kUntilCleared, faults[0].frames);
        EXPECT_EQ(300u, faults[0].delayMs);
        EXPECT_EQ(SimFaultKind::noise, faults[1].kind);
        EXPECT_EQ(2, faults[1].frames);
        EXPECT_EQ((Bytes{0x1C, 0x41}), faults[1].bytes);
    }
    // The late reply comes 300 ms after the frame, after the noise.
    const uint32_t start = TickCount();
    Send(Request('A', 'P'));
    unsigned char buffer[6];
    EXPECT_EQ(0, port->Read(buffer, 6, 1000));
    EXPECT_EQ((Bytes{0x1C, 'A', 0x1C, 'A', 'X', 0x0A}), Bytes(buffer, buffer + 6));
    EXPECT_GE(TicksSince(start), 300u);

    SimSetup orphan;
    CSimLine other;
    ASSERT_EQ(1, TakeSetupArguments(orphan, {"--fault", "B,silence"}, error));
    AddDefaultControllers(orphan);
    EXPECT_EQ(0, BuildLine(orphan, other, error));
    EXPECT_NE(std::string::npos, error.find("not on the line: \"B\"")) << error;
}

TEST_F(SimSetupTest, ALineThatCannotBeBuiltSaysWhy) {
    ASSERT_EQ(1, Take({"--controller", "A,9600,blocked=65"}));
    EXPECT_EQ(0, Build());
    EXPECT_NE(std::string::npos, error.find("blocked channel")) << error;

    SimSetup boards;
    CSimLine second;
    ASSERT_EQ(1, TakeSetupArguments(boards, {"--controller", "A,9600,error=r:2:1"}, error));
    EXPECT_EQ(0, BuildLine(boards, second, error));
    EXPECT_NE(std::string::npos, error.find("board")) << error;

    SimSetup crowded;
    CSimLine third;
    for (int n = 0; n < 16; ++n) {
        ASSERT_EQ(1, TakeSetupArguments(crowded, {"--controller", "A,9600"}, error));
    }
    EXPECT_EQ(0, BuildLine(crowded, third, error));
    EXPECT_NE(std::string::npos, error.find("at most 15")) << error;
}

TEST_F(SimSetupTest, TheDefaultLineIsTwoControllersAtTwoRates) {
    AddDefaultControllers(setup);
    ASSERT_EQ(1, Build());
    ASSERT_EQ(2, line.ControllerCount());
    EXPECT_EQ('A', line.Controller(0).Id());
    EXPECT_EQ(0, line.Controller(0).BaudIndex());
    EXPECT_EQ(128, line.Controller(0).Channels());
    EXPECT_EQ('C', line.Controller(1).Id());
    EXPECT_EQ(2, line.Controller(1).BaudIndex());
    EXPECT_EQ(64, line.Controller(1).Channels());
    EXPECT_EQ(8, setup.objectWidth);
    EXPECT_EQ(6000u, setup.objectPeriodMs);
}

class SimSetupFileTest : public SimSetupTest {
protected:
    ~SimSetupFileTest() override { std::remove(path.c_str()); }
    void Write(const std::string& text) { std::ofstream(path) << text; }
    std::string path = "/tmp/tarnsim-setup-" + std::to_string(getpid()) + ".conf";
};

TEST_F(SimSetupFileTest, AFileHoldsTheSameOptionsWithComments) {
    Write(
        "# the line\n"
        "\n"
        "controller A,9600,emitters=2   # two boards\n"
        "  fault A,silence\t\n"
        "object 16,4000\r\n"
        "link /tmp/tarn-port\n"
        "trace\n");
    ASSERT_EQ(1, Take({"--config", path, "--controller", "C,38400"})) << error;
    ASSERT_EQ(2u, setup.controllers.size());
    EXPECT_EQ(2, setup.controllers[0].emitterBoards);
    EXPECT_EQ('C', setup.controllers[1].id);
    ASSERT_EQ(1u, setup.faults.size());
    EXPECT_EQ(SimFaultKind::silence, setup.faults[0].fault.kind);
    EXPECT_EQ(16, setup.objectWidth);
    EXPECT_EQ(4000u, setup.objectPeriodMs);
    EXPECT_EQ("/tmp/tarn-port", setup.link);
    EXPECT_TRUE(setup.trace);
}

TEST_F(SimSetupFileTest, AnErrorNamesTheFileAndLine) {
    Write("controller A,9600\n# fine so far\ncontroller A,9601\n");
    EXPECT_EQ(0, Take({"--config", path}));
    EXPECT_EQ(path + ":3: a controller is ID,BAUD[,key=value...]: \"A,9601\"", error);

    Write("config /tmp/other.conf\n");
    EXPECT_EQ(0, Take({"--config", path}));
    EXPECT_EQ(path + ":1: a configuration file cannot name another: \"/tmp/other.conf\"", error);

    EXPECT_EQ(0, Take({"--config", path + ".missing"}));
    EXPECT_NE(std::string::npos, error.find("cannot read")) << error;
}

TEST(MovingObjectTest, PassesThroughTheCurtainAndBack) {
    CSimLine line;
    CSimController* a = line.AddController('A', 0);
    a->SetBoards(1, 1);
    a->SetBlocked(40);
    CMovingObject object(line, 8, 1000);
    // The leading edge runs 0..72 channels in the first half period and back.
    const auto cover = [&](uint64_t ms) { return object.Covered(64, ms * 1000); };
    EXPECT_EQ(cover(0).first, cover(0).end);  // outside before it enters
    EXPECT_EQ(28, cover(250).first);          // edge at 36: channels 28..35
    EXPECT_EQ(36, cover(250).end);
    EXPECT_EQ(cover(500).first, cover(500).end);  // outside past the last channel
    EXPECT_EQ(28, cover(750).first);              // on its way back
    EXPECT_EQ(28, cover(1250).first);             // and again
    EXPECT_EQ(0, cover(28).first);                // entering: partly inside
    EXPECT_EQ(4, cover(28).end);

    object.Place(line, 250000);
    for (int channel = 0; channel < 64; ++channel) {
        EXPECT_EQ((channel >= 28 && channel < 36) || channel == 40, a->IsBlocked(channel))
            << channel;
    }
    object.Place(line, 500000);
    for (int channel = 0; channel < 64; ++channel) {
        EXPECT_EQ(channel == 40, a->IsBlocked(channel)) << channel;  // the fixed beam stays
    }
}

TEST(SimLineQueryTest, NextEventAndForgettingTheHistory) {
    CSimLine line;
    line.AddController('A', 0);
    EXPECT_EQ(kNever, line.NextEventUs());
    const Bytes ping = Request('A', 'P');
    line.HostSend(1000, ping.data(), 4, {9600, '?'});
    EXPECT_EQ(1000 + WireTimeUs(1, 9600), line.NextEventUs());  // the first byte arrives

    const uint64_t frameEnd = 1000 + WireTimeUs(4, 9600);
    line.RunUntil(frameEnd);
    EXPECT_EQ(frameEnd + WireTimeUs(1, 9600), line.NextEventUs());  // the reply's first byte

    // Forgetting before the reply has ended keeps the reply and drops the request.
    line.ForgetTraffic(frameEnd + 1);
    EXPECT_TRUE(line.HostBursts().empty());
    EXPECT_EQ(1u, line.ReplyBursts().size());
    EXPECT_TRUE(line.Controller(0).Received().empty());

    std::deque<unsigned char> out;
    line.TakeForHost(frameEnd + WireTimeUs(4, 9600), {9600, '?'}, out);
    EXPECT_EQ(Reply('A', 'X'), Bytes(out.begin(), out.end()));
    EXPECT_EQ(kNever, line.NextEventUs());
    line.ForgetTraffic(kNever);
    EXPECT_TRUE(line.ReplyBursts().empty());
}

}  // namespace
