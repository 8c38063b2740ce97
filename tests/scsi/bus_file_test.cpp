// The bus description: the documented lines read as written, and any line
// that does not read is skipped with its number, the rest kept.
#include "sim/bus_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(BusFile, ReadsTheDocumentedLines) {
  BusDescription bus = ParseBusText(
      "# adapter target kind source [key=value ...]\r\n"
      "0 1 disk      C:\\esi\\hd1.img   vendor=SEAGATE product=ST32550N\r\n"
      "0 3 cdrom     library.iso\n"
      "\n"
      "0 5 removable -   # no medium\n"
      "1 2 optical   \"C:\\my disks\\mo.img\" lun=1 notready=3 failread=2 failwrite=4 "
      "hang=write\n",
      "C:\\bus\\");
  ASSERT_TRUE(bus.skipped.empty()) << bus.skipped[0];
  ASSERT_EQ(bus.units.size(), 4u);
  const SimUnitConfig& disk = bus.units[0];
  EXPECT_EQ(disk.kind, SimUnitKind::Disk);
  EXPECT_EQ(disk.source, "C:\\esi\\hd1.img");
  EXPECT_EQ(disk.vendor, "SEAGATE");
  EXPECT_EQ(disk.product, "ST32550N");
  EXPECT_EQ(bus.units[1].kind, SimUnitKind::CdRom);
  EXPECT_EQ(bus.units[1].source, "C:\\bus\\library.iso");
  EXPECT_EQ(bus.units[2].source, "");
  const SimUnitConfig& mo = bus.units[3];
  EXPECT_EQ(mo.adapter, 1);
  EXPECT_EQ(mo.target, 2);
  EXPECT_EQ(mo.source, "C:\\my disks\\mo.img");
  EXPECT_EQ(mo.lun, 1);
  EXPECT_EQ(mo.notReady, 3);
  EXPECT_EQ(mo.failRead, 2);
  EXPECT_EQ(mo.failWrite, 4);
  EXPECT_EQ(mo.hang, SimHang::Write);
}

TEST(BusFile, SkipsEveryLineThatDoesNotRead) {
  const char* bad[] = {
      "0 1 disk",                                  // no source
      "0 8 disk a.img",                            // target out of range
      "-1 1 disk a.img",                           // adapter not a number
      "99999999999 1 disk a.img",                  // too long a number
      "0 1 tape a.img",                            // unknown kind
      "0 1 disk a.img lun=8",                      // logical unit out of range
      "0 1 disk a.img hang=forever",               // unknown hang
      "0 1 disk a.img speed=5",                    // unknown key
      "0 1 disk a.img vendor=ABCDEFGHI",           // vendor longer than 8
      "0 1 disk a.img product=ABCDEFGHIJKLMNOPQ",  // product longer than 16
      "0 1 disk \"a.img",                          // unmatched quote
      "0 1 disk a.img failread",                   // no value
      "0 1 disk a.img =3",                         // no key
      "0 2 disk b.img\n0 2 cdrom c.iso",           // second unit on one target
  };
  for (const char* line : bad) {
    std::string text = std::string("0 0 disk ok.img\n") + line + "\n0 6 disk ok.img\n";
    BusDescription bus = ParseBusText(text, "");
    EXPECT_EQ(bus.skipped.size(), 1u) << line;
    ASSERT_GE(bus.units.size(), 2u) << line;
    EXPECT_EQ(bus.units.back().target, 6) << line;
  }
  BusDescription bus = ParseBusText(std::string("0 1 disk a\0b.img\n\xff\xfe", 20), "");
  EXPECT_LE(bus.units.size(), 1u);
}

}  // namespace
