// The bus description: the documented lines read as written, and any line
// that does not read is skipped with its number, the others still read.
#include "sim/bus_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(BusFile, ReadsTheDocumentedLinesAndSkipsEveryOtherLine) {
  const char text[] =
      "# adapter target kind source [key=value ...]\r\n"
      "0 1 disk      C:\\esi\\hd1.img   vendor=SEAGATE product=ST32550N\r\n"
      "0 3 cdrom     library.iso\n"
      "\n"
      "0 5 removable -   # no medium\n"
      "1 2 optical   \"C:\\my disks\\mo.img\" lun=1 notready=3 failread=2 failwrite=4 "
      "hang=write\n"
      "0 7 disk\n"  // line 7: no source; then a target, a number and a vendor too long
      "0 8 disk a.img\n99999999999 7 disk a.img\n0 7 disk a.img vendor=ABCDEFGHI\n"
      "0 1 disk a\0b.img\n\xff\xfe\n"  // line 11: target taken; line 12: stray bytes
      "0 6 removable - vendor=IOMEGA product=\"ZIP 100\"\n";  // still read
  BusDescription bus = ParseBusText(std::string(text, sizeof text - 1), "C:\\bus\\");
  ASSERT_EQ(bus.units.size(), 5u);
  const SimUnitConfig &disk = bus.units[0], &cd = bus.units[1], &mo = bus.units[3];
  EXPECT_EQ(disk.source + disk.vendor + disk.product, "C:\\esi\\hd1.imgSEAGATEST32550N");
  EXPECT_EQ(cd.kind == SimUnitKind::CdRom ? cd.source : "", "C:\\bus\\library.iso");
  EXPECT_EQ(mo.source, "C:\\my disks\\mo.img");
  EXPECT_EQ((std::vector<int>{mo.adapter, mo.target, mo.lun, mo.notReady, mo.failRead, mo.failWrite,
                              static_cast<int>(mo.hang)}),
            (std::vector<int>{1, 2, 1, 3, 2, 4, static_cast<int>(SimHang::Write)}));
  EXPECT_EQ(bus.units[2].source + bus.units[4].vendor + bus.units[4].product, "IOMEGAZIP 100");
  ASSERT_EQ(bus.skipped.size(), 6u);
  EXPECT_EQ(bus.skipped[0].rfind("line 7:", 0), 0u) << bus.skipped[0];
  EXPECT_EQ(bus.skipped[5].rfind("line 12:", 0), 0u) << bus.skipped[5];
}

}  // namespace
