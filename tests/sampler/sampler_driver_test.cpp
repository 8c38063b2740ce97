// The samplers driver over a simulated bus: which units count as samplers,
// the scan's bounds, and listings of a simulated sampler under every fault
// switch.
#include "sampler/sampler_driver.h"

#include <gtest/gtest.h>

#include <tuple>

#include "audio/wav.h"
#include "sampler/smdi.h"
#include "tests/scsi/scsi_fixture.h"

namespace {

// The disk driver takes slot 0, the samplers slot 1.
struct SamplerFixture : ScsiFixture {
  SamplersDriver samplers{ctx};
  Texts seeds;  // the files of the folder every sampler unit reads

  SamplerFixture() {
    bus.listFolder = [this](const std::string&) { return seeds; };
    RegisterDiskOs(ctx, samplers);
  }
  void wav(const std::string& name, int channels, std::uint32_t frames) {
    WavHeader h = MakeWavHeader(channels, 22050, 16, frames);
    Bytes& b = media.data("mem/" + name);
    b.assign(h.bytes, h.bytes + kWavHeaderSize);
    b.resize(b.size() + frames * channels * 2, 0x11);
    seeds.push_back(name);
  }
  // Scans, then lists the first sampler; the children "name|number|size|channels"
  // of that sampler, or of "Samplers".
  Texts list(const std::string& unitLines, bool samples = true) {
    units(unitLines);
    send(makeRequest(Scan));
    DiskOsRequest scan = makeRequest(Scan);
    scan.diskOs = 1;
    send(scan);
    const int node =
        samples && samplers.samplerCount() ? samplers.entry(0).node : samplers.samplersNode();
    if (node != samplers.samplersNode())
      listDevice(ctx, node, false);
    Texts out;
    for (int i = 1; i < ctx.nodes.count; ++i) {
      const TreeNode& n = ctx.nodes[i];
      if (n.parent == node)
        out.push_back(std::string(n.name) + "|" + std::to_string(n.sampleNumber) + "|" +
                      std::to_string(n.size) + "|" + std::to_string(n.channels));
    }
    return out;
  }
  SimSamplerUnit& unit(int target) { return *static_cast<SimSamplerUnit*>(bus.unit(0, target)); }
};

TEST(SamplersDriver, OnlyProcessorDevicesNamedAsEmuSamplersAreAdded) {
  SamplerFixture f;
  f.units(
      "0 0 sampler - vendor=E-mu product=ESi-4000\n"
      "0 1 sampler - vendor=E-mu \"product=Emulator IV\"\n"
      "0 2 sampler - vendor=E-mu product=Emulator\n"
      "0 3 sampler - vendor=EMU product=ESi-2000\n"
      "0 4 disk - vendor=E-mu product=ESi-32\n");
  EXPECT_EQ(f.list("0 6 sampler - vendor=E-mu \"product=ESi 32     \"", false),
            (Texts{"E-mu ESi-4000 (0, 0)|0|0|0", "E-mu Emulator IV (0, 1)|0|0|0",
                   "E-mu ESi 32 (0, 6)|0|0|0"}));
  DiskOsRequest count = makeRequest(DeviceCount), mask = makeSubRequest(GetCodeMask),
                subMask = makeSubRequest(GetSubCodeMask);
  count.diskOs = mask.diskOs = subMask.diskOs = 1;
  EXPECT_EQ(f.send(count), 3u);
  EXPECT_EQ(f.send(mask), 0xC0080003u);
  EXPECT_EQ(f.send(subMask), 7u);
  int adapter = -1, target = -1, last = f.samplers.entry(2).node;
  EXPECT_TRUE(SampleAddress(f.ctx, last, &adapter, &target));
  // Slot 0 of the unit table is the disk's, which the disk driver keeps.
  EXPECT_EQ(adapter * 10 + target + f.ctx.nodes[last].scsiSlot * 100, 306);
  EXPECT_FALSE(SampleAddress(f.ctx, f.samplers.samplersNode(), &adapter, &target));
}

// 17 adapters scan as 16; the 65th SCSI unit is never added.
TEST(SamplersDriver, ScanBounds) {
  for (std::uint32_t adapters : {1, 17}) {
    SamplerFixture f;
    f.units("15 7 sampler - vendor=E-mu product=ESi-4000\n16 0 sampler - vendor=E-mu product=ESi");
    f.bus.setSupportInfo(0x100u | adapters);
    f.ctx.lcd.LcdSetProgressRange(0, 1000);
    f.samplers.ScanSamplers();
    EXPECT_EQ(f.samplers.samplerCount(), adapters == 17 ? 1 : 0);
    EXPECT_EQ(f.ctx.lcd.LcdProgressPosition(), adapters == 1 ? 88 : 0);
  }
  SamplerFixture f;
  f.ctx.scsi.scsiDeviceCount = 63;
  f.list("0 1 sampler - vendor=E-mu product=ESi-4000\n0 2 sampler - vendor=E-mu product=ESi");
  EXPECT_EQ(f.samplers.samplerCount(), 1);
  EXPECT_EQ(f.unit(2).inquiries, 0);
}

// A listing finds the samples there are, names unpadded, asking for every
// number; faults end it with one message and a bounded wait. A listing that
// could not ask for every number leaves the sampler unlisted, so that no
// transmission is offered onto numbers it never saw.
TEST(SamplersDriver, ListsSimulatedSamplers) {
  const Texts both = {"Kick|1|2000|1", "Strings ensemble|3|4000|2"}, none;
  const Texts silent = {"Sampler (0,6) is not answering"},
              partial = {"Unable to list all samples of sampler (0,6)"},
              hung = {"Unable to send command to SCSI device (0,6)"};
  const std::tuple<const char*, Texts, Texts> cases[] = {{"", both, none},
                                                         {" smdi=reject", none, partial},
                                                         {" failwrite=1", none, partial},
                                                         {" failwrite=3", both, partial},
                                                         {" smdi=silent", none, silent},
                                                         {" smdi=wait-forever", none, silent},
                                                         {" hang=tur", none, hung},
                                                         {" smdi=zero-packet", both, none},
                                                         {" smdi=odd", both, none},
                                                         {" smdi=oversize", both, none}};
  for (const auto& [smdi, samples, messages] : cases) {
    SamplerFixture f;
    f.wav("001 Kick.wav", 1, 1000);
    f.wav("003 Strings ensemble long.WAV", 2, 1000);
    f.wav("1000 Too far.wav", 1, 10);
    EXPECT_EQ(f.list(std::string("0 6 sampler mem vendor=E-mu product=ESi-4000") + smdi), samples);
    EXPECT_EQ(f.tc.host.messages, messages) << smdi;
    EXPECT_EQ(f.ctx.nodes[f.samplers.entry(0).node].ready, messages.empty()) << smdi;
    EXPECT_LT(f.tc.host.clock, 10000u) << smdi;
    // The opening Abort and 999 requests, less one that failed; no closing
    // Abort after an empty 999.
    if (!samples.empty()) {
      EXPECT_EQ(f.unit(6).received.size(), messages.empty() ? 1000u : 999u) << smdi;
    }
  }
  SamplerFixture seeded;
  seeded.wav("999 Last.wav", 1, 10);
  seeded.units("0 5 sampler mem");
  // A seeded 22 050 Hz sample holds the period Korrin would have sent.
  EXPECT_EQ(seeded.unit(5).slot(999).period, 45352u);
  SamplerFixture f;
  f.wav("999 Last.wav", 1, 10);
  EXPECT_EQ(f.list("0 6 sampler mem vendor=E-mu product=ESi-4000 smdi=rename"),
            Texts{"Last|999|20|1"});
  EXPECT_EQ(f.unit(6).received.back(), kSmdiAbortProcedure);
  listDevice(f.ctx, f.samplers.entry(0).node, false);
  EXPECT_EQ(f.ctx.nodes[firstChild(f.ctx, f.samplers.entry(0).node)].name, std::string("Last*"));
}

}  // namespace
