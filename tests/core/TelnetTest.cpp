// The Telnet decoder on its own: commands go to the caller's list, a subnegotiation's
// payload is kept whole up to its limit, and a decoder that is fed again after a long
// payload gives the short one that follows without any byte of the long one.

#include <gtest/gtest.h>

#include <vector>

#include "serial/Telnet.h"

namespace {

using Bytes = std::vector<unsigned char>;
using namespace telnet;

Bytes Subnegotiation(unsigned char option, const Bytes& payload) {
    Bytes out;
    AppendSubnegotiation(out, option, payload);
    return out;
}

}  // namespace

TEST(TelnetDecoderTest, AppendsCommandsAndDataToWhatTheCallerHolds) {
    Bytes stream = {'a', kIac, kIac, 'b', kIac, kWill, kComPortOption};
    const Bytes sub = Subnegotiation(kComPortOption, {101, kIac, 7});
    stream.insert(stream.end(), sub.begin(), sub.end());
    stream.push_back('c');

    CTelnetDecoder decoder;
    Bytes data = {'x'};
    std::vector<CTelnetCommand> commands(1);  // an earlier command stays where it is
    decoder.Feed(stream.data(), 5, data, commands);
    decoder.Feed(stream.data() + 5, static_cast<unsigned>(stream.size() - 5), data, commands);

    EXPECT_EQ((Bytes{'x', 'a', kIac, 'b', 'c'}), data);
    ASSERT_EQ(3u, commands.size());
    EXPECT_EQ(CTelnetCommand{}, commands[0]);
    EXPECT_EQ(kWill, commands[1].verb);
    EXPECT_EQ(kComPortOption, commands[1].option);
    EXPECT_TRUE(commands[1].payload.empty());
    EXPECT_EQ(kSb, commands[2].verb);
    EXPECT_EQ((Bytes{101, kIac, 7}), Bytes(commands[2].payload.begin(), commands[2].payload.end()));
    EXPECT_EQ(0u, decoder.TakeDropped());
}

TEST(TelnetDecoderTest, KeepsAPayloadUpToTheLimitAndDropsALongerOne) {
    const Bytes longest(CTelnetDecoder::kMaxPayload, kIac);
    const Bytes overlong(CTelnetDecoder::kMaxPayload + 1, 'L');
    Bytes stream = Subnegotiation(1, longest);
    for (const Bytes& payload : {overlong, Bytes{'s'}}) {
        const Bytes sub = Subnegotiation(2, payload);
        stream.insert(stream.end(), sub.begin(), sub.end());
    }

    CTelnetDecoder decoder;
    Bytes data;
    std::vector<CTelnetCommand> commands;
    decoder.Feed(stream.data(), static_cast<unsigned>(stream.size()), data, commands);

    EXPECT_TRUE(data.empty());
    EXPECT_EQ(1u, decoder.TakeDropped());
    ASSERT_EQ(2u, commands.size());
    EXPECT_EQ(longest, Bytes(commands[0].payload.begin(), commands[0].payload.end()));
    // The short payload after the dropped one holds its own byte only, and compares equal
    // to the same payload decoded afresh.
    EXPECT_EQ((Bytes{'s'}), Bytes(commands[1].payload.begin(), commands[1].payload.end()));
    CTelnetDecoder fresh;
    std::vector<CTelnetCommand> freshCommands;
    const Bytes alone = Subnegotiation(2, {'s'});
    fresh.Feed(alone.data(), static_cast<unsigned>(alone.size()), data, freshCommands);
    ASSERT_EQ(1u, freshCommands.size());
    EXPECT_EQ(freshCommands[0], commands[1]);
    EXPECT_NE(commands[0], commands[1]);
}
