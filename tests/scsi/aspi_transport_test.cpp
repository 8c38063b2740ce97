// The ASPI transport against the simulated bus: what goes into the request
// blocks, the 2048-byte conversion, the logical unit search, and the bounds
// on every wait.
#include "scsi/aspi_transport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/scsi/scsi_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// An image whose every byte tells its own offset apart from its neighbours'.
Bytes patterned(std::size_t sectors) {
  Bytes b(sectors * 512);
  for (std::size_t i = 0; i < b.size(); ++i)
    b[i] = static_cast<std::uint8_t>(i * 7 + i / 512);
  return b;
}

struct Transport : ::testing::Test {
  ScsiFixture f;
  Context& ctx = f.ctx;

  ScsiDevice& device(int target, bool blocks2048) {
    ScsiDevice& d = ctx.scsi.scsiDevices[0];
    d = ScsiDevice{};
    d.target = target;
    d.lun = -1;
    d.blocks2048 = blocks2048 ? 1 : 0;
    return d;
  }
  void addUnits() {
    for (const SimUnitConfig& c : f.pending)
      f.bus.addUnit(c);
    f.pending.clear();
  }
  const SrbExecScsiCmd& last() { return f.bus.sent.back(); }
};

TEST_F(Transport, ReadsDeliverExactlyTheSectorsAskedForOnBothBlockSizes) {
  struct Case {
    bool cdrom;
    std::uint32_t sector, count;
    std::uint32_t lba, blocks;
  } cases[] = {
      {true, 6, 1, 1, 1},    // bytes 1024-1535 of block 1
      {true, 3, 32, 0, 9},   // 16 384 bytes from offset 1536
      {true, 0, 32, 0, 8},   // no block past the ones asked for
      {true, 5, 2, 1, 1},    // a count that is no multiple of 4
      {true, 7, 2, 1, 2},    // ... spanning two blocks
      {true, 61, 3, 15, 1},  // the last sectors of the medium
      {false, 5, 2, 5, 2},   // 512-byte blocks: no conversion
      {false, 0, 64, 0, 64}  // the most one command moves
  };
  const Bytes media = patterned(64);
  f.unit(1, SimUnitKind::CdRom, media);
  f.unit(2, SimUnitKind::Disk, media);
  addUnits();
  for (const Case& c : cases) {
    SCOPED_TRACE((c.cdrom ? "cdrom sector " : "disk sector ") + std::to_string(c.sector) +
                 " count " + std::to_string(c.count));
    ScsiDevice& d = device(c.cdrom ? 1 : 2, c.cdrom);
    Bytes out(c.count * 512, 0xEE);
    ASSERT_EQ(ScsiReadSectors(ctx, d, c.sector, c.count, out.data()), 0u);
    EXPECT_EQ(0, std::memcmp(out.data(), media.data() + c.sector * 512, out.size()));
    const SimDiskUnit& unit = *f.bus.disk(0, c.cdrom ? 1 : 2);
    EXPECT_EQ(unit.lastLba, c.lba);
    EXPECT_EQ(unit.lastBlocks, c.blocks);
    EXPECT_EQ(last().SRB_Flags, SRB_DIR_IN);
    EXPECT_EQ(last().SRB_BufLen, 32768u);
    EXPECT_EQ(last().SRB_SenseLen, 14);
    EXPECT_EQ(last().SRB_CDBLen, 10);
  }
  // More than one command moves is refused, not overrun.
  Bytes big(65 * 512);
  EXPECT_EQ(ScsiReadSectors(ctx, device(2, false), 0, 65, big.data()), kScsiCommandFailed);
}

TEST_F(Transport, TheLogicalUnitIsSearchedOnceAndKept) {
  f.unit(1, SimUnitKind::Disk, patterned(8)).lun = 3;
  f.unit(2, SimUnitKind::Disk, patterned(8));
  addUnits();
  Bytes out(512);
  ScsiDevice& d = device(1, false);
  // No write before the unit has been read: its logical unit is unknown.
  EXPECT_EQ(ScsiWriteSectors(ctx, d, 0, 1, out.data()), kScsiCommandFailed);
  EXPECT_TRUE(f.bus.sent.empty());

  ASSERT_EQ(ScsiReadSectors(ctx, d, 1, 1, out.data()), 0u);
  EXPECT_EQ(d.lun, 3);
  EXPECT_EQ(f.bus.disk(0, 1)->reads, 4);  // LUN 0, 1, 2, 3
  f.bus.sent.clear();
  ASSERT_EQ(ScsiReadSectors(ctx, d, 2, 1, out.data()), 0u);
  ASSERT_EQ(f.bus.sent.size(), 2u);  // TEST UNIT READY, one READ
  EXPECT_EQ(f.bus.sent[1].CDBByte[1], 3 * 32);
  ASSERT_EQ(ScsiWriteSectors(ctx, d, 2, 1, out.data()), 0u);
  EXPECT_EQ(last().CDBByte[0], 0x2A);
  EXPECT_EQ(last().CDBByte[1], 3 * 32);
  EXPECT_EQ(last().SRB_Flags, SRB_DIR_OUT);
  EXPECT_EQ(last().SRB_BufLen, 512u);

  ScsiDevice& plain = device(2, false);
  ASSERT_EQ(ScsiReadSectors(ctx, plain, 0, 1, out.data()), 0u);
  EXPECT_EQ(plain.lun, 0);
}

TEST_F(Transport, FailuresGiveTheirCodesWithoutMessages) {
  f.unit(1, SimUnitKind::Disk, patterned(8)).failRead = 2;
  f.unit(2, SimUnitKind::Disk, patterned(8)).notReady = 1;
  f.unit(3, SimUnitKind::CdRom, patterned(8));
  f.unit(4, SimUnitKind::Disk, {});  // no medium
  addUnits();
  Bytes out(512);
  ScsiDevice& failing = device(1, false);
  EXPECT_EQ(ScsiReadSectors(ctx, failing, 0, 1, out.data()), 0u);
  EXPECT_EQ(ScsiReadSectors(ctx, failing, 0, 1, out.data()), kScsiCommandFailed);
  EXPECT_EQ(ScsiReadSectors(ctx, device(2, false), 0, 1, out.data()), kScsiNotReady);
  EXPECT_EQ(ScsiReadSectors(ctx, device(4, false), 0, 1, out.data()), kScsiNotReady);
  // A CD-ROM drive is never sent a write, even once its unit is known.
  ScsiDevice& cd = device(3, true);
  ASSERT_EQ(ScsiReadSectors(ctx, cd, 0, 1, out.data()), 0u);
  Bytes before = f.image(3);
  EXPECT_EQ(ScsiWriteSectors(ctx, cd, 0, 1, out.data()), kScsiCommandFailed);
  EXPECT_EQ(f.bus.disk(0, 3)->writes, 0);
  EXPECT_EQ(f.image(3), before);
  // Nothing at target 6: refused at once, not polled to the limit.
  unsigned long long clock = f.tc.host.clock;
  EXPECT_EQ(ScsiReadSectors(ctx, device(6, false), 0, 1, out.data()), kScsiNotReady);
  EXPECT_EQ(f.tc.host.clock, clock);
  EXPECT_TRUE(f.tc.host.messages.empty());
}

TEST_F(Transport, WaitReadyGivesUpAfter250Tests) {
  f.unit(1, SimUnitKind::Disk, patterned(8)).notReady = 249;
  f.unit(2, SimUnitKind::Disk, patterned(8)).notReady = 250;
  addUnits();
  EXPECT_TRUE(AspiWaitReady(ctx, 0, 1));
  EXPECT_TRUE(f.tc.host.messages.empty());
  EXPECT_EQ(f.bus.disk(0, 1)->testUnitReadys, 250);
  EXPECT_FALSE(AspiWaitReady(ctx, 0, 2));
  EXPECT_EQ(f.bus.disk(0, 2)->testUnitReadys, 250);
  EXPECT_EQ(f.tc.host.messages, std::vector<std::string>{"SCSI device not ready (0,2)"});
}

TEST_F(Transport, SendAndReceiveFillTheirBlocks) {
  f.unit(1, SimUnitKind::Disk, patterned(8));
  addUnits();
  Bytes data(0x1234, 0x55);
  // A disk refuses SEND: an error, not a message.
  EXPECT_FALSE(AspiSend(ctx, 0, 1, data.data(), 0x12, 0x34));
  const std::uint8_t sendCdb[6] = {0x0A, 0, 0, 0x12, 0x34, 0};
  EXPECT_EQ(0, std::memcmp(last().CDBByte, sendCdb, 6));
  EXPECT_EQ(last().SRB_BufLen, 0x1234u);
  EXPECT_EQ(last().SRB_Flags, SRB_DIR_OUT);
  EXPECT_EQ(last().SRB_CDBLen, 6);
  Bytes reply(kSmdiReceiveSize);
  EXPECT_FALSE(AspiReceive(ctx, 0, 1, reply.data()));
  const std::uint8_t receiveCdb[6] = {0x08, 0, 0, 0x41, 0x00, 0};
  EXPECT_EQ(0, std::memcmp(last().CDBByte, receiveCdb, 6));
  EXPECT_EQ(last().SRB_BufLen, 16640u);
  EXPECT_TRUE(f.tc.host.messages.empty());
}

// A unit that never completes one command costs one message and a bounded
// wait, however often it is asked.
TEST_F(Transport, AHungUnitIsNamedOnceAndNeverFreezesTheCaller) {
  for (SimHang hang : {SimHang::TestUnitReady, SimHang::Inquiry, SimHang::Read, SimHang::Write}) {
    ScsiFixture g;
    SimUnitConfig c;
    c.target = 5;
    c.source = "C:\\disk.img";
    c.hang = hang;
    g.media.data(c.source) = patterned(8);
    g.bus.addUnit(c);
    ScsiDevice& d = g.ctx.scsi.scsiDevices[0];
    d = ScsiDevice{};
    d.target = 5;
    d.lun = -1;
    Bytes out(512);
    for (int round = 0; round < 2; ++round) {
      bool inquiry = AspiInquiry(g.ctx, 0, 5);
      std::uint32_t read = ScsiReadSectors(g.ctx, d, 0, 1, out.data());
      std::uint32_t write = ScsiWriteSectors(g.ctx, d, 0, 1, out.data());
      EXPECT_EQ(inquiry, hang != SimHang::Inquiry);
      EXPECT_EQ(read != 0, hang == SimHang::TestUnitReady || hang == SimHang::Read);
      EXPECT_EQ(write != 0, hang != SimHang::Inquiry);
    }
    EXPECT_EQ(g.tc.host.messages,
              std::vector<std::string>{"Unable to send command to SCSI device (0,5)"})
        << static_cast<int>(hang);
    EXPECT_LT(g.tc.host.clock, 60000u) << static_cast<int>(hang);
  }
}

TEST_F(Transport, SmdiTimeoutsAreReportedEachTime) {
  struct Hanging : SimScsiUnit {
    using SimScsiUnit::SimScsiUnit;
    SimOutcome send(const SimCommand&) override { return {false, SS_PENDING}; }
  };
  SimUnitConfig c;
  c.target = 2;
  c.kind = SimUnitKind::Sampler;
  f.bus.addUnit(std::make_unique<Hanging>(c));
  std::uint8_t byte = 0;
  f.ctx.lcd.LcdSetProgressRange(0, 10);
  EXPECT_FALSE(AspiSend(ctx, 0, 2, &byte, 0, 1));
  EXPECT_FALSE(AspiSend(ctx, 0, 2, &byte, 0, 1));
  EXPECT_EQ(f.tc.host.messages,
            std::vector<std::string>(2, "Unable to send command to SCSI device (0,2)"));
  // The bar moved with the wait and stayed within its end.
  EXPECT_EQ(ctx.lcd.LcdProgressPosition(), 2 * kSmdiPolls);
  EXPECT_GE(ctx.lcd.LcdProgressEnd(), ctx.lcd.LcdProgressPosition());
}

TEST_F(Transport, HostAdaptersComeFromOneAnswerOfTheManager) {
  struct Case {
    std::uint32_t info;
    int adapters;
  } cases[] = {{0x0102, 2}, {0x0128, 16}, {0xE800, 0}, {0x0100, 0}, {0x0402, 0}};
  for (const Case& c : cases) {
    ScsiFixture g;
    g.bus.setSupportInfo(c.info);
    EXPECT_EQ(AspiHostAdapters(g.ctx), c.adapters) << std::hex << c.info;
    g.bus.setSupportInfo(0x0101);
    EXPECT_EQ(AspiHostAdapters(g.ctx), c.adapters) << "asked again";
  }
  ScsiFixture none;
  AspiRelease(none.ctx);
  EXPECT_EQ(AspiHostAdapters(none.ctx), 0);
  Bytes out(512);
  ScsiDevice d{};
  EXPECT_EQ(ScsiReadSectors(none.ctx, d, 0, 1, out.data()), kScsiCommandFailed);
}

}  // namespace
