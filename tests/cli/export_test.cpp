// korrin export writes, bank for bank, the file that the window's Export
// writes, on CD images and disk images alike, also for a bank cut short on
// disk (its part found, exit status 1).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/run.h"
#include "tests/support/disk_image_scenario.h"
#include "tests/support/esi_image.h"

namespace {

// Banks across the chunk and unit sizes, and one whose entry claims more than
// its chain holds.
std::vector<std::uint8_t> image(int* banks) {
  EsiLayout layout;
  layout.blockCount = 40;
  EsiImage disk(layout);
  const std::uint32_t sizes[] = {1, 16384, 16385, 70000, 131072};
  int number = 0;
  for (std::uint32_t size : sizes) {
    std::string name = "BANK " + std::to_string(size);
    disk.addBank(number, name, MakeBankData(size, name, size));
    ++number;
  }
  std::uint16_t first = disk.addBank(number, "CUT", MakeBankData(1000, "CUT", 9));
  disk.putEntry(0, number, "CUT", number, first, 200000);
  *banks = number + 1;
  return disk.file((disk.info.lastSector + 4) / 4 * 4);  // whole CD sectors
}

template <class Scenario>
void exportEveryBank(const std::string& path) {
  int banks = 0;
  Scenario window({path});
  window.t.files.data(path) = image(&banks);
  MemoryFiles files;
  files.data(path) = window.t.files.data(path);
  window.start();
  for (int n = 0; n < banks; ++n) {
    std::string windowFile = "C:\\window" + std::to_string(n) + ".e3x";
    std::string cliFile = "C:\\cli" + std::to_string(n) + ".e3x";
    window.exportBank(n, windowFile);
    bool cutShort = !window.t.host.messages.empty();
    window.t.host.messages.clear();

    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int status = RunKorrin({"export", path, std::to_string(n), cliFile}, files,
                           CliStreams{out, err, false, false});
    std::fclose(out);
    std::fclose(err);
    SCOPED_TRACE("bank " + std::to_string(n));
    EXPECT_EQ(status, cutShort ? 1 : 0);
    ASSERT_TRUE(files.exists(cliFile));
    EXPECT_EQ(files.data(cliFile), window.t.files.data(windowFile));
  }
}

TEST(KorrinExport, WritesTheWindowsFileOfEveryBankOfADiskImage) {
  exportEveryBank<DiskImageScenario>("C:\\Cards\\HD0.img");
}

TEST(KorrinExport, WritesTheWindowsFileOfEveryBankOfACdImage) {
  exportEveryBank<CdImageScenario>("C:\\Images\\library.iso");
}

}  // namespace
