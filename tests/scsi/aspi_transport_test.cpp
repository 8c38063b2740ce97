// The ASPI transport against the simulated bus: what goes into the request
// blocks, the 2048-byte conversion, the logical unit search, and the bounds
// on every wait. The fuzz target feeds it hostile answers.
#include "scsi/aspi_transport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <tuple>

#include "tests/scsi/scsi_fixture.h"

namespace {

// An image whose every byte tells its own offset apart from its neighbours'.
Bytes patterned(std::size_t sectors) {
  Bytes b(sectors * 512);
  for (std::size_t i = 0; i < b.size(); ++i)
    b[i] = static_cast<std::uint8_t>(i * 7 + i / 512);
  return b;
}

// The record of a unit as the scan leaves it, before its first read.
ScsiDevice& device(ScsiFixture& f, int target, bool blocks2048 = false) {
  return f.ctx.scsi.scsiDevices[0] =
             ScsiDevice{0, target, -1, 0, 0, 0, {}, {}, {}, 0, blocks2048, {}};
}

// What the last block asked: flags, buffer, sense and CDB lengths, CDB.
std::string lastBlock(const ScsiFixture& f) {
  const SrbExecScsiCmd& s = f.bus.sent.back();
  std::string text = std::to_string(s.SRB_Flags) + " " + std::to_string(s.SRB_BufLen) + " " +
                     std::to_string(s.SRB_SenseLen) + " " + std::to_string(s.SRB_CDBLen) + ":";
  char byte[4];
  for (int i = 0; i < s.SRB_CDBLen && i < 16; ++i)
    text += (std::snprintf(byte, sizeof byte, " %02X", s.CDBByte[i]), byte);
  return text;
}

// Reads deliver exactly the sectors asked for on both block sizes. The logical
// unit is searched once and kept; writes need it. Failures give their codes
// and no message; only waiting for readiness gives up with one.
TEST(Transport, SectorTransfers) {
  const std::tuple<bool, std::uint32_t, std::uint32_t, std::string> cases[] = {
      {true, 6, 1, "28 00 00 00 00 01 00 00 01 00"},    // bytes 1024-1535 of block 1
      {true, 3, 32, "28 00 00 00 00 00 00 00 09 00"},   // 16 384 bytes from offset 1536
      {true, 0, 32, "28 00 00 00 00 00 00 00 08 00"},   // no block past the ones asked for
      {false, 258, 2, "28 00 00 00 01 02 00 00 02 00"}  // 512-byte blocks: no conversion
  };
  ScsiFixture f;
  const Bytes media = f.media.data("cd.img") = f.media.data("hd.img") = patterned(300);
  f.units("0 7 cdrom cd.img\n0 3 disk hd.img");
  for (const auto& [cdrom, sector, count, cdb] : cases) {
    Bytes out(count * 512, 0xEE);
    ASSERT_EQ(ScsiReadSectors(f.ctx, device(f, cdrom ? 7 : 3, cdrom), sector, count, out.data()),
              0u);
    EXPECT_EQ(0, std::memcmp(out.data(), media.data() + sector * 512, out.size())) << cdb;
    EXPECT_EQ(lastBlock(f), "8 32768 14 10: " + cdb);
  }
  // The transfer buffer holds 64 sectors: 65 are refused before anything is
  // sent, either way.
  Bytes many(65 * 512);
  ScsiDevice& hd = device(f, 3);
  ASSERT_EQ(ScsiReadSectors(f.ctx, hd, 0, 64, many.data()), 0u);
  ASSERT_EQ(ScsiWriteSectors(f.ctx, hd, 0, 64, many.data()), 0u);
  const std::size_t sent = f.bus.sent.size();
  EXPECT_EQ(ScsiReadSectors(f.ctx, hd, 0, 65, many.data()), kScsiCommandFailed);
  EXPECT_EQ(ScsiWriteSectors(f.ctx, hd, 0, 65, many.data()), kScsiCommandFailed);
  EXPECT_EQ(f.bus.sent.size(), sent);

  Bytes out(512);
  for (const char* name : {"1", "2", "5", "6"})
    f.media.data(name) = patterned(8);
  f.units("0 1 disk 1 lun=3 failread=3\n0 2 disk 2 notready=1\n0 4 disk -");
  f.bus.sent.clear();
  ScsiDevice& d = device(f, 1);
  EXPECT_EQ(ScsiWriteSectors(f.ctx, d, 0, 1, out.data()), kScsiCommandFailed);
  EXPECT_TRUE(f.bus.sent.empty());
  ASSERT_EQ(ScsiReadSectors(f.ctx, d, 1, 1, out.data()), 0u);
  EXPECT_EQ(d.lun, 3);
  EXPECT_EQ(f.bus.disk(0, 1)->reads, 4);  // LUN 0, 1, 2, 3
  ASSERT_EQ(ScsiReadSectors(f.ctx, d, 2, 1, out.data()), 0u);
  EXPECT_EQ(f.bus.disk(0, 1)->reads, 5);  // one READ, no new search
  EXPECT_EQ(lastBlock(f), "8 32768 14 10: 28 60 00 00 00 02 00 00 01 00");
  ASSERT_EQ(ScsiWriteSectors(f.ctx, d, 2, 1, out.data()), 0u);
  EXPECT_EQ(lastBlock(f), "16 512 14 10: 2A 60 00 00 00 02 00 00 01 00");
  EXPECT_EQ(ScsiReadSectors(f.ctx, d, 0, 1, out.data()), kScsiCommandFailed);  // the 3rd
  EXPECT_EQ(ScsiReadSectors(f.ctx, device(f, 2), 0, 1, out.data()), kScsiNotReady);
  EXPECT_EQ(ScsiReadSectors(f.ctx, device(f, 4), 0, 1, out.data()), kScsiNotReady);
  // Waiting for readiness gives up after the 250th test, with the run's only message.
  f.units("0 5 disk 5 notready=249\n0 6 disk 6 notready=250");
  EXPECT_TRUE(AspiWaitReady(f.ctx, 0, 5));
  EXPECT_FALSE(AspiWaitReady(f.ctx, 0, 6));
  EXPECT_EQ(f.bus.disk(0, 5)->testUnitReadys + f.bus.disk(0, 6)->testUnitReadys, 500);
  EXPECT_EQ(f.tc.host.messages, Texts{"SCSI device not ready (0,6)"});
}

// A unit that never completes a command costs one message and one bounded
// wait, even where each millisecond's sleep lasts sixteen; from then on
// every command to it fails at once. A SEND or RECEIVE that never finished
// leaves its block and buffer behind, so a late completion lands nowhere in
// use, and a sampler command hears of the hang once.
TEST(Transport, AHungUnitIsNamedAndNeverFreezesTheCaller) {
  for (std::string h : {"tur", "inquiry", "read", "write"}) {
    ScsiFixture f;
    f.tc.host.onSleep = [&](unsigned ms) { f.tc.host.clock += 15 * ms; };
    f.media.data("a.img") = patterned(8);
    f.units("0 5 disk a.img hang=" + h);
    ScsiDevice& d = device(f, 5);
    d.lun = 0;
    Bytes out(512);
    std::size_t sent = 0;
    for (int round = 0; round < 2; ++round, sent = f.bus.sent.size())
      AspiInquiry(f.ctx, 0, 5), ScsiReadSectors(f.ctx, d, 0, 1, out.data()),
          ScsiWriteSectors(f.ctx, d, 0, 1, out.data());
    EXPECT_EQ(f.bus.sent.size(), sent) << h;  // the second round sent nothing
    EXPECT_EQ(f.tc.host.messages, Texts{"Unable to send command to SCSI device (0,5)"}) << h;
    EXPECT_LT(f.tc.host.clock, 8500u) << h;
  }
  struct Hanging : SimScsiUnit {
    using SimScsiUnit::SimScsiUnit;
    SimOutcome send(const SimCommand&) override { return {false, SS_PENDING}; }
    SimOutcome receive(const SimCommand&) override { return {true, SS_COMP}; }
  };
  ScsiFixture f;
  f.units("0 3 sampler - hang=tur");
  f.bus.addUnit(std::make_unique<Hanging>(ParseBusText("0 2 sampler -", "").units.at(0)));
  AspiBeginCommand(f.ctx);
  EXPECT_FALSE(AspiWaitReady(f.ctx, 0, 3));
  EXPECT_FALSE(AspiWaitReady(f.ctx, 0, 3));
  EXPECT_EQ(f.bus.unit(0, 3)->testUnitReadys, 1);
  EXPECT_LT(f.tc.host.clock, 1500u);
  AspiBeginCommand(f.ctx);
  Bytes data(kSmdiReceiveSize, 0x55);
  EXPECT_FALSE(AspiSend(f.ctx, 0, 2, data.data(), 0x12, 0x34));
  EXPECT_EQ(lastBlock(f), "16 4660 14 6: 0A 00 00 12 34 00");
  ASSERT_EQ(f.ctx.scsi.retiredBlocks.size(), 2u);
  EXPECT_EQ(f.ctx.scsi.retiredBlocks.back()->main.srb.SRB_BufPointer,
            f.ctx.scsi.retiredBuffers.back().data());
  EXPECT_EQ(AspiReceive(f.ctx, 0, 2, data.data()), AspiAttempt::Hung);
  EXPECT_EQ(f.bus.sent.back().CDBByte[0], kSend);
  EXPECT_EQ(f.tc.host.messages, (Texts{"Unable to send command to SCSI device (0,3)",
                                       "Unable to send command to SCSI device (0,2)"}));
  // A SEND longer than any SMDI message is never sent.
  EXPECT_FALSE(AspiSend(f.ctx, 0, 4, data.data(), 0x41, 0x01));
  EXPECT_EQ(f.bus.sent.back().CDBByte[0], kSend);
}

}  // namespace
