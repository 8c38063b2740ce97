// SMDI against a unit that records what it is sent and answers from a
// script: the exact bytes of each message, how replies are read, and the
// bounds on every wait.
#include "sampler/smdi.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "tests/scsi/scsi_fixture.h"

namespace {

struct Scripted : SimScsiUnit {
  using SimScsiUnit::SimScsiUnit;
  std::vector<Bytes> got;
  // An empty one is an answer with no bytes; kFailed, a RECEIVE that fails.
  std::deque<Bytes> replies;
  static inline const Bytes kFailed = {0xEE};
  SimOutcome send(const SimCommand& c) override {
    got.emplace_back(c.data, c.data + c.dataLength);
    return {true, SS_COMP};
  }
  SimOutcome receive(const SimCommand& c) override {
    bool failed = !replies.empty() && replies.front() == kFailed;
    if (!replies.empty())
      std::copy(replies.front().begin(), replies.front().end(), c.data), replies.pop_front();
    return {true, failed ? SS_ERR : SS_COMP};
  }
};

struct SmdiFixture : ScsiFixture {
  Scripted* unit = new Scripted(ParseBusText("0 4 sampler -", "").units.at(0));
  SmdiFixture() { bus.addUnit(std::unique_ptr<SimScsiUnit>(unit)); }
};

Bytes hex(const std::string& text) {
  Bytes b;
  for (std::size_t i = 0; i + 1 < text.size(); i += 3)
    b.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  return b;
}

Bytes reply(std::uint16_t id, const std::string& body = "") {
  Bytes b = {'S', 'M', 'D', 'I', std::uint8_t(id >> 8), std::uint8_t(id), 0, 0, 0, 0, 0},
        rest = hex(body);
  b[10] = static_cast<std::uint8_t>(rest.size());
  b.insert(b.end(), rest.begin(), rest.end());
  return b;
}

TEST(Smdi, MessagesAsSent) {
  SmdiFixture f;
  Context& c = f.ctx;
  const std::uint8_t words[] = {0x01, 0x02, 0x03, 0x04, 0x05};
  SmdiSampleHeaderFields h, longName;
  h.sample = 5, h.channels = 2, h.length = 0x10203, h.rate = 44100, h.name = "Kick1";
  h.loopStart = 7, h.loopEnd = 0x0100, h.loopControl = 0, h.lowestKey = 21, h.highestKey = 108;
  longName.name = "strings-ensemble-long";
  const std::pair<std::function<int()>, std::string> cases[] = {
      {[&] { return SmdiAbortProcedure(c, 0, 4); }, "01 05 00 00 00 00 00"},
      {[&] { return SmdiRequestSampleHeader(c, 0, 4, 999); }, "01 20 00 00 00 00 03 00 03 E7"},
      {[&] { return SmdiDeleteSample(c, 0, 4, 3); }, "01 24 00 00 00 00 03 00 00 03"},
      {[&] { return SmdiSendNextPacket(c, 0, 4, 0x10203); }, "01 03 00 00 00 00 03 01 02 03"},
      {[&] { return SmdiBeginSampleTransfer(c, 0, 4, 5, 512); },
       "01 22 00 00 00 00 06 00 00 05 00 02 00"},
      {[&] { return SmdiSendDataPacket(c, 0, 4, 2, words, 5); },
       "01 10 00 00 00 00 08 00 00 02 02 01 04 03 05"},
      {[&] { return SmdiSendSampleHeader(c, 0, 4, h); },
       "01 21 00 01 00 00 22 00 00 05 10 02 00 58 94 00 01 02 03 00 00 00 07 00 00 01 00 00 "
       "00 3C 00 00 3C 15 6C 05 4B 69 63 6B 31"},
      {[&] { return SmdiSendSampleHeader(c, 0, 4, longName); },
       "01 21 00 01 00 00 2D 00 00 00 10 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 7F "
       "00 3C 00 00 3C 3C 3C 10 73 74 72 69 6E 67 73 2D 65 6E 73 65 6D 62 6C 65"},
  };
  for (const auto& [send, bytes] : cases) {
    f.unit->got.clear();
    EXPECT_EQ(send(), 1) << bytes;
    EXPECT_EQ(f.unit->got, std::vector<Bytes>{hex("53 4D 44 49 " + bytes + " ")}) << bytes;
  }
  f.unit->got.clear();
  Bytes big(513);
  EXPECT_EQ(SmdiSendDataPacket(c, 0, 4, 0, big.data(), 513), 0);
  EXPECT_TRUE(f.unit->got.empty());
  SmdiPutNumber(big.data(), 0x1234, 1);
  EXPECT_EQ(big[0] << 8 | big[1], 0x3400);
}

// Wait never settles; Message Reject settles a reply but is no header; an
// empty answer reads as none, whatever the buffer held. A sampler that never
// answers, or answers Wait forever, costs one message and about three
// seconds, even where each pause lasts far longer than asked; a transfer that
// was never answered is not asked again, one that failed outright is.
TEST(Smdi, RepliesAndWaits) {
  const Bytes wait = reply(kSmdiWait), reject = reply(kSmdiMessageReject, "00 20 00 02"),
              header = reply(kSmdiSampleHeader), none, failed = Scripted::kFailed;
  std::uint16_t (*const reads[])(Context&, int, int) = {SmdiReceiveReply, SmdiReceiveHeaderReply,
                                                        SmdiAwaitReply, SmdiAwaitHeaderReply,
                                                        SmdiAwaitListedHeader};
  const std::pair<std::vector<Bytes>, std::vector<std::uint16_t>> cases[] = {
      {{reply(kSmdiAck)}, {kSmdiAck, kSmdiAck, kSmdiAck, kSmdiAck, kSmdiAck}},
      {{wait, reject, header}, {kSmdiWait, kSmdiWait, kSmdiMessageReject, 0, 0}},
      {{wait, header}, {kSmdiWait, kSmdiWait, kSmdiSampleHeader, kSmdiSampleHeader, 0x121}},
      {{none, header}, {0, 0, kSmdiSampleHeader, kSmdiSampleHeader, 0}},
      {std::vector<Bytes>(1000, none), {0, 0, 0, 0, 0}},
      {std::vector<Bytes>(1000, wait), {kSmdiWait, kSmdiWait, 0, 0, kSmdiWait}},
      {{failed, header}, {0, 0, kSmdiSampleHeader, kSmdiSampleHeader, kSmdiSampleHeader}},
      {std::vector<Bytes>(1000, failed), {0, 0, 0, 0, kSmdiWait}},
  };
  for (const auto& [replies, want] : cases) {
    for (int k = 0; k < 5; ++k) {
      SmdiFixture f;
      std::fill(f.ctx.smdiMessageBuffer, f.ctx.smdiMessageBuffer + 16, 0x01);
      f.unit->replies.assign(replies.begin(), replies.end());
      EXPECT_EQ(reads[k](f.ctx, 0, 4), want[k]) << replies.size() << " " << k;
      const bool bounded =
          replies.size() == 1000 && (k == 2 || k == 3 || (k == 4 && replies[0] != none));
      EXPECT_EQ(f.tc.host.messages.size(), bounded ? 1u : 0u) << replies.size() << " " << k;
      EXPECT_LT(f.tc.host.clock, 3500u);
    }
  }
  SmdiFixture slow;
  slow.unit->replies.assign(1000, wait);
  slow.tc.host.onSleep = [&](unsigned ms) { slow.tc.host.clock += 15 * ms; };
  EXPECT_EQ(SmdiAwaitReply(slow.ctx, 0, 4), 0);
  EXPECT_LT(slow.tc.host.clock, 3500u);
  SmdiFixture f;
  f.units("0 5 sampler - notready=1000");
  EXPECT_EQ(SmdiAwaitReply(f.ctx, 0, 5), 0);
  EXPECT_EQ(f.tc.host.messages, Texts{"SCSI device not ready (0,5)"});
}

TEST(Smdi, SampleHeaderIsReadWithinTheReply) {
  SmdiFixture f;
  std::uint8_t* b = f.ctx.smdiMessageBuffer;
  Bytes r = reply(kSmdiSampleHeader,
                  "00 00 01 10 02 00 58 94 00 00 03 E8 00 00 00 0A 00 00 00 14 00 00 3C 00 00 "
                  "05 42 61 73 73 20 20");
  std::copy(r.begin(), r.end(), b);
  SmdiSampleHeaderReply h = SmdiReadSampleHeader(f.ctx);
  EXPECT_EQ(std::to_string(h.bits) + " " + std::to_string(h.channels) + " " +
                std::to_string(h.period) + " " + std::to_string(h.length) + " " +
                std::to_string(h.loopStart) + " " + std::to_string(h.loopEnd) + " " +
                std::to_string(h.loopControl) + " " + h.name,
            "16 2 22676 1000 10 20 0 Bass");
  b[10] = 29;  // the stated length ends the name early
  EXPECT_STREQ(SmdiReadSampleHeader(f.ctx).name, "Bas");
  std::fill(b + 37, b + kSmdiMessageBufferSize, 'x');
  b[8] = b[9] = b[10] = 0xFF, b[36] = 255;
  EXPECT_EQ(std::string(SmdiReadSampleHeader(f.ctx).name), std::string(255, 'x'));
}

TEST(Smdi, RatesAndPeriods) {
  const std::uint32_t cases[][2] = {{44100, 22676}, {22676, 44100}, {48000, 20834}, {20834, 47999},
                                    {22050, 45352}, {45352, 22050}, {0, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(SmdiConvertRate(c[0]), c[1]) << c[0];
  // A received period gives a standard rate when it is that rate's, as sent
  // or rounded; others convert.
  const std::uint32_t received[][2] = {{20834, 48000}, {20833, 48000}, {45351, 22050},
                                       {22676, 44100}, {125000, 8000}, {90703, 11025},
                                       {20836, 47994}, {30000, 33334}, {0, 0}};
  for (const auto& c : received)
    EXPECT_EQ(SmdiRateOfPeriod(c[0]), c[1]) << c[0];
}

}  // namespace
