// Samples sent to, received from and deleted in the simulated sampler, with
// each of its faults; received files are judged by their own offsets and by
// sox and libsndfile.
#include <gtest/gtest.h>

#include <fstream>

#include "sampler/sample_choices.h"
#include "sampler/sample_receive.h"
#include "sampler/sampler_driver.h"
#include "sampler/smdi.h"
#include "tests/scsi/scsi_fixture.h"
#include "tests/support/wav_bytes.h"

namespace {

using Numbers = std::vector<std::uint32_t>;

// The simulated sampler, keeping every message it is sent.
struct Sampler : SimSamplerUnit {
  using SimSamplerUnit::SimSamplerUnit;
  std::vector<Bytes> got;
  void fault(SimSmdiFault f) { config_.smdi = f; }
  void failSend(std::size_t nth) { config_.failWrite = static_cast<int>(got.size() + nth); }
  SimOutcome send(const SimCommand& c) override {
    got.emplace_back(c.data, c.data + c.dataLength);
    return SimSamplerUnit::send(c);
  }
};

// A number of width bytes at o, little-endian, or big-endian as SMDI has it.
std::uint32_t at(const Bytes& b, std::size_t o, int width = 4, bool big = false) {
  std::uint32_t v = 0;
  for (int i = 0; i < width; ++i)
    v |= std::uint32_t(b[o + i]) << 8 * (big ? width - 1 - i : i);
  return v;
}
Bytes pattern(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i)
    b[i] = std::uint8_t(i * 37 + i / 256);
  return b;
}
// As audio editors write them: a LIST chunk of odd size before the audio,
// and when asked a loop after it whose last frame played is 199.
Bytes wavFile(int channels, const Bytes& audio, bool loop, std::uint32_t rate = 44100) {
  WavChunks chunks = {{"LIST", {'x', 'y', 'z'}}, {"data", audio}};
  if (loop)
    chunks.push_back({"smpl", SmplBody(60, 1, 100, 199)});
  return RiffFile(channels, chunks, 1, rate);
}

struct SampleFixture : ScsiFixture {
  Sampler* unit;
  int sampler = 0;
  SampleFixture() {
    auto u = std::make_unique<Sampler>(
        ParseBusText("0 4 sampler - vendor=E-mu product=ESi-4000", "").units.at(0), media);
    unit = u.get();
    bus.addUnit(std::move(u));
    ctx.drivers.push_back(std::make_unique<SamplersDriver>(ctx));
    RegisterDiskOs(ctx, *ctx.drivers.back());
    DiskOsRequest scan = makeRequest(Scan);
    scan.diskOs = 1;
    send(scan);
    sampler = static_cast<SamplersDriver&>(*ctx.drivers.back()).entry(0).node;
  }
  void transmit(const std::string& name, const Bytes& file, TransmitChoice choice) {
    tc.files.data(name) = file;
    ctx.openFile = tc.files.open(name, FileOpen::ReadExisting);
    RunTransmission(ctx, sampler, choice, name);
  }
  int sample(int number) {
    for (int i = 1; i < ctx.nodes.count; ++i)
      if (ctx.nodes[i].parent == sampler && ctx.nodes[i].sampleNumber == number)
        return i;
    return 0;
  }
  // As the Receive command does: a new file, removed when the sample failed.
  bool receive(int number) {
    ctx.openFile = tc.files.open("out.wav", FileOpen::CreateAlways);
    bool received = ReceiveSample(ctx, sample(number));
    tc.files.close(ctx.openFile);
    if (!received)
      tc.files.remove("out.wav");
    return received;
  }
  Bytes lastHeaderSent() {
    for (auto m = unit->got.rbegin(); m != unit->got.rend(); ++m)
      if (at(*m, 4, 2, true) == kSmdiSampleHeader)
        return *m;
    return Bytes(40);
  }
};

// WAV to sampler to WAV, twice over, gives back the audio, rate and loop that
// went in: the sampler's loop end lies one past the last frame played.
TEST(SampleTransfer, RoundTripKeepsAudioLoopAndLayout) {
  SampleFixture f;
  Bytes stereo = pattern(4000), mono = pattern(3001);  // an odd byte the reader drops
  f.transmit("strings-ensemble-long.wav", wavFile(2, stereo, true, 48000), {40, 30, 60, 4});
  // Period, loop and keys as sent; without placing, the lowest key three times.
  Bytes h = f.lastHeaderSent();
  EXPECT_EQ(Numbers({at(h, 16, 3, true), at(h, 23, 4, true), at(h, 27, 4, true), h[31], h[36],
                     h[37], h[38]}),
            Numbers({20834, 100, 200, 0, 61, 51, 81}));
  f.transmit("Kick.WAV", wavFile(1, mono, false), ChoiceFor(TransmitSettings{1, 2, 3, 0}, 0));
  h = f.lastHeaderSent();
  EXPECT_EQ(Numbers({at(h, 27, 4, true), h[31], h[36], h[37], h[38]}),
            Numbers({1500, 0x7F, 21, 21, 21}));
  EXPECT_EQ(f.tc.host.messages, Texts{});
  EXPECT_EQ(std::string(f.ctx.nodes[f.sample(1)].name) + "," + f.ctx.nodes[f.sample(5)].name,
            "Kick,strings-ensemble");

  ASSERT_TRUE(f.receive(5));
  Bytes out = f.tc.files.data("out.wav");
  ASSERT_EQ(out.size(), 4112u);
  EXPECT_EQ(
      Numbers({at(out, 4), at(out, 24), at(out, 28), at(out, 32, 2), at(out, 40),
               at(out, 4044 + 16), at(out, 4044 + 20), at(out, 4044 + 52), at(out, 4044 + 56)}),
      Numbers({4104, 48000, 192000, 4, 4000, 22675, 60, 100, 199}));
  EXPECT_EQ(Bytes(out.begin() + 44, out.begin() + 4044), stereo);
  f.transmit("again.wav", out, {40, 30, 60, 4});
  ASSERT_TRUE(f.receive(5));
  EXPECT_EQ(f.tc.files.data("out.wav"), out);
  // sox and libsndfile read the same audio and loop (where they are installed).
  if (!RunTool("sox --version").empty()) {
    std::string path = testing::TempDir() + "korrin_received.wav";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(out.data()), 4112);
    EXPECT_NE(RunTool("sndfile-info " + path).find("Start :   100  End :   199"),
              std::string::npos);
    EXPECT_EQ(RunTool("sox " + path + " -t raw -"), std::string(stereo.begin(), stereo.end()));
  }
  ASSERT_TRUE(f.receive(1));
  EXPECT_EQ(f.tc.files.data("out.wav").size(), 44u + 3000u);  // no loop, no "smpl"
}

TEST(SampleTransfer, EveryFaultEndsWithOneMessageAndNoHalfFile) {
  const std::string silent = "Sampler (0,4) is not answering",
                    unsent = "Unable to receive sample (sampler will not send it)",
                    noData = "Unable to receive sample (sampler will not send sample data)",
                    renamed = "Sample in machine has been renamed";
  struct Case {
    SimSmdiFault fault;
    Texts receiving, deleting;
    bool received, deleted;
  } cases[] = {
      {SimSmdiFault::Silent, {silent}, {silent}, false, false},
      {SimSmdiFault::WaitForever, {silent}, {silent}, false, false},
      {SimSmdiFault::Reject,
       {unsent},
       {"Unable to delete sample (sampler will not delete it)"},
       false,
       false},
      {SimSmdiFault::ZeroPacket, {unsent}, {}, false, true},
      {SimSmdiFault::Oversize, {noData}, {}, false, true},
      {SimSmdiFault::Odd, {}, {}, true, true},  // words split across packets still pair up
      {SimSmdiFault::Rename, {renamed}, {renamed}, false, false},
  };
  Bytes audio = pattern(1400);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    SampleFixture f;
    f.transmit("PAD.wav", wavFile(1, audio, false), {39, 39, 50, 2});
    f.unit->fault(c.fault);
    if (c.fault == SimSmdiFault::Rename)
      listDevice(f.ctx, f.sampler, false);  // the panel's user renames meanwhile
    f.tc.host.messages.clear();
    EXPECT_EQ(f.receive(3), c.received);
    EXPECT_EQ(f.tc.host.messages, c.receiving);
    EXPECT_EQ(f.tc.files.exists("out.wav"), c.received);
    Bytes& out = f.tc.files.data("out.wav");
    EXPECT_EQ(out.size() > 44 ? Bytes(out.begin() + 44, out.end()) : Bytes(),
              c.received ? audio : Bytes());
    int node = f.sample(3);
    f.tc.host.messages.clear();
    DeleteSamplesCommand(f.ctx, &node, 1);
    EXPECT_EQ(f.tc.host.messages, c.deleting);
    EXPECT_EQ(f.sample(3) == 0 && !f.unit->slot(3).present, c.deleted);
    EXPECT_EQ(f.ctx.busy, 0);
  }
}

// The last selected goes first; a failure leaves the samples before it.
TEST(SampleTransfer, DeletionStopsAtTheFirstFailure) {
  SampleFixture f;
  for (int entry : {0, 1, 2})
    f.transmit("Bass.wav.wav", wavFile(1, pattern(10), false), {0, 0, 0, entry});
  EXPECT_EQ(FirstFreeEntry(f.ctx, f.sampler), 3);
  EXPECT_STREQ(f.ctx.nodes[f.sample(2)].name, "Bass");
  f.unit->slot(2).name = "CHANGED";
  int selection[] = {f.sample(1), f.sample(2), f.sample(3)};
  // Properties of several rows give their total size only.
  SampleProperties all = DescribeSamples(f.ctx, selection, 3),
                   one = DescribeSamples(f.ctx, selection + 1, 1);
  EXPECT_EQ(std::to_string(all.single) + all.size + all.name + all.channels, "030 bytes");
  EXPECT_EQ(one.name + one.number + one.size + one.channels + one.length,
            "BassS00210 bytes10.00 sec");
  DeleteSamplesCommand(f.ctx, selection, 3);
  EXPECT_EQ(f.tc.host.messages, Texts{"Sample in machine has been renamed"});
  EXPECT_TRUE(f.sample(1) && f.sample(2) && !f.sample(3));
  EXPECT_TRUE(f.unit->slot(1).present && f.unit->slot(2).present && !f.unit->slot(3).present);
}

// A SEND that ends in error stops a transmission with its step's message.
TEST(SampleTransfer, AFailedSendStopsTransmissionWithItsStepsMessage) {
  const char *refused = "Unable to transmit sample (sampler will not accept it)",
             *noData = "Unable to transmit sample (sampler won't accept sample data)",
             *packet = "Unable to transmit sample (problem sending sample data)";
  // Abort, Sample Header, Begin Sample Transfer, the second Data Packet.
  const std::pair<std::size_t, const char*> cases[] = {
      {1, refused}, {2, refused}, {3, noData}, {5, packet}};
  for (auto [nth, text] : cases) {
    SampleFixture f;
    f.unit->failSend(nth);
    f.transmit("Pad.wav", wavFile(1, pattern(1400), false), {0, 0, 0, 0});
    EXPECT_EQ(f.tc.host.messages, Texts{text}) << nth;
    EXPECT_EQ(f.sample(1), 0) << nth;
  }
}

// Entry k of the number list sends to number k + 1 and shows what the
// listing found there; with every number used none is free.
TEST(SampleTransfer, NumberListShowsWhatTheListingFound) {
  SampleFixture f;
  f.transmit("Bass.wav", wavFile(1, pattern(10), false), {0, 0, 0, 2});
  EXPECT_EQ(f.unit->slot(3).name, "Bass");
  Texts texts = SampleNumberTexts(f.ctx, f.sampler);
  EXPECT_EQ(texts.size(), 999u);
  EXPECT_EQ(texts[1] + "|" + texts[2] + "|" + texts[998], "S002|S003    Bass|S999");
  EXPECT_EQ(FirstFreeEntry(f.ctx, f.sampler), 0);
  for (int n = 1; n <= 999; ++n)
    f.unit->slot(n) = f.unit->slot(3);
  listDevice(f.ctx, f.sampler, false);
  EXPECT_EQ(SampleNumberTexts(f.ctx, f.sampler)[998], "S999    Bass");
  EXPECT_EQ(FirstFreeEntry(f.ctx, f.sampler), 0);
}

// A sample that the memory cannot hold is refused; the one it replaces counts as free.
TEST(SampleTransfer, SamplerMemoryIsBounded) {
  SampleFixture f;
  f.unit->memoryBytes = 3000;
  for (auto [bytes, entry] : {std::pair{2000, 0}, {1200, 1}, {2800, 0}})
    f.transmit("Pad.wav", wavFile(1, pattern(bytes), false), {0, 0, 0, entry});
  EXPECT_EQ(f.tc.host.messages, Texts{"Unable to transmit sample (sampler will not accept it)"});
  EXPECT_EQ(f.unit->slot(1).data.size() + f.unit->slot(2).present, 2800u);
}

}  // namespace
