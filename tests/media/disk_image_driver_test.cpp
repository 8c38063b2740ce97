// The disk image driver on small images in memory: which files open, that
// opening never writes, the image list kept through failures and removals,
// and where reads and writes may go.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "media/image_commands.h"
#include "tests/support/disk_image_scenario.h"
#include "tests/support/esi_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Paths = std::vector<std::string>;
const char kA[] = "C:\\Cards\\HD0.img";
const char kB[] = "C:\\Cards\\HD1.hda";
const char kC[] = "C:\\Cards\\HD10_512.hds";

EsiImage smallDisk() {
  EsiImage image;
  image.addBank(5, "PIANO", MakeBankData(20000, "PIANO", 5));
  return image;
}

struct OpenCase {
  const char* what;
  std::function<Bytes()> file;  // null: no file at all
  bool opens;
};

const OpenCase kOpenCases[] = {
    {"a disk larger than a CD, its file ending after the bank",
     [] {
       EsiImage image = smallDisk();
       image.info.lastSector = 1500000;  // neither clamped nor held to 2048 bytes
       image.storeInfo();
       return image.file(image.blockStart(2) + 1);
     },
     true},
    {"a length that is no whole number of sectors",
     [] {
       Bytes b = smallDisk().bytes;
       b.push_back(0);
       return b;
     },
     false},
    {"no ESi disk", [] { return Bytes(64 * 512, 0); }, false},
    {"tables that leave the disk",
     [] {
       EsiImage image = smallDisk();
       image.info.lastSector = image.info.dataSector;
       image.storeInfo();
       return image.bytes;
     },
     false},
    {"a missing file", nullptr, false},
};

TEST(DiskImageDriver, OpensAnyUsableEsiDiskWithoutWritingAndKeepsTheOthersRegistered) {
  for (const OpenCase& c : kOpenCases) {
    SCOPED_TRACE(c.what);
    DiskImageScenario s({kA, kB});
    Bytes bytes = c.file ? c.file() : Bytes();
    if (c.file)
      s.t.files.data(kA) = bytes;
    s.t.files.data(kB) = smallDisk().bytes;
    s.start();
    // The second image is device 1 only when the first opened.
    EXPECT_EQ(s.driver.deviceCount(), c.opens ? 2 : 1);
    EXPECT_EQ(s.node(s.deviceNode(0)).name, std::string(c.opens ? "HD0.img" : "HD1.hda"));
    EXPECT_NE(s.bank(5), 0);
    EXPECT_EQ(s.entries(), (Paths{kA, kB}));
    if (c.file) {
      EXPECT_EQ(s.t.files.data(kA), bytes);
    }
    EXPECT_TRUE(s.messages().empty());
  }
}

TEST(DiskImageDriver, OpensEightAndEachFileOnce) {
  Paths paths;
  for (int i = 0; i < 9; ++i)
    paths.push_back("C:\\Cards\\HD" + std::to_string(i) + ".img");
  paths.insert(paths.begin() + 1, "c:\\cards\\hd0.IMG");  // the same file again
  DiskImageScenario s(paths);
  for (int i = 0; i < 9; ++i)
    s.t.files.data("C:\\Cards\\HD" + std::to_string(i) + ".img") = smallDisk().bytes;
  s.start();
  ASSERT_EQ(s.driver.deviceCount(), kMaxDiskImages);
  EXPECT_STREQ(s.driver.device(1).displayName, "HD1.img");
  EXPECT_EQ(s.entries(), paths);
}

TEST(DiskImageDriver, AddRefusesWhatDoesNotOpenWithAMessageAndRegistersTheRest) {
  DiskImageScenario s({kA, kB});
  s.t.files.data(kA) = smallDisk().bytes;
  s.start();  // kB is missing today
  DiskImageDriver& d = s.driver;
  const struct {
    std::string path;
    std::function<void()> before;
    const char* message;  // null: it opens
  } cases[] = {
      {"c:\\CARDS\\hd0.img", nullptr, "This disk image file is already open"},
      {kC, [&] { s.t.files.data(kC) = Bytes(4096, 0); },
       "The file holds no ESi disk that Korrin can use"},
      {kC,
       [&] {
         s.t.files.data(kC) = smallDisk().bytes;
         s.t.files.open(kC, FileOpen::ReadExisting);  // another program has it
       },
       "Unable to open the disk image file: it is missing, read-only or in use by another "
       "program"},
      {kB, [&] { s.t.files.data(kB) = smallDisk().bytes; }, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    s.messages().clear();
    if (c.before)
      c.before();
    EXPECT_EQ(d.AddImageFile(c.path), c.message == nullptr);
    EXPECT_EQ(s.messages(), c.message ? Paths{c.message} : Paths{});
  }
  // The image registered before keeps its entry.
  EXPECT_EQ(d.deviceCount(), 2);
  EXPECT_EQ(s.entries(), (Paths{kA, kB}));
}

TEST(DiskImageDriver, RemoveUnregistersTheRightEntryAndKeepsTheFile) {
  DiskImageScenario s({kA, kB, kC});
  s.t.files.data(kA) = smallDisk().bytes;
  s.t.files.data(kC) = smallDisk().bytes;
  s.start();  // kB missing: kC is device 1 but entry 3
  RemoveImageCommand(s.ctx, s.deviceNode(1));
  EXPECT_EQ(s.entries(), (Paths{kA, kB}));
  RemoveImageCommand(s.ctx, s.deviceNode(0));
  EXPECT_EQ(s.entries(), (Paths{kB}));
  EXPECT_EQ(s.driver.deviceCount(), 0);
  EXPECT_TRUE(s.t.files.exists(kA) && s.t.files.exists(kC));
  EXPECT_EQ(s.t.files.openCount(), 0);
  EXPECT_EQ(s.ctx.busy, 0);
}

TEST(DiskImageDriver, ReadsZerosPastTheFileAndWritesNothingPastTheDisk) {
  DiskImageScenario s({kA});
  EsiImage image = smallDisk();
  const std::uint32_t end = image.info.lastSector + 1;
  const std::uint32_t stored = image.info.dataSector;
  s.t.files.data(kA) = image.file(stored);
  s.start();
  auto send = [&](std::uint32_t code, std::uint32_t first, std::uint32_t n, std::uint8_t* buffer) {
    DiskOsRequest r = makeRequest(code, 0);
    r.par0 = first;
    r.par1 = n;
    r.bufI = reinterpret_cast<DiskOsWord>(buffer);
    r.bIsz = n * 512;
    r.diskOs = static_cast<DiskOsWord>(s.driver.ownIndex());
    return SendDiskOs(s.ctx, r);
  };
  Bytes buffer(2 * 512, 0xAA);
  EXPECT_EQ(send(ReadSectors, end - 2, 2, buffer.data()), 0u);
  EXPECT_EQ(buffer, Bytes(2 * 512, 0));
  EXPECT_NE(send(ReadSectors, end - 1, 2, buffer.data()), 0u);

  Bytes& file = s.t.files.data(kA);
  Bytes data(2 * 512, 0x5C);
  EXPECT_NE(send(WriteSectors, end - 1, 2, data.data()), 0u);
  EXPECT_EQ(file.size(), std::size_t{stored} * 512);
  // A write past the end fills the gap with zeros, to no CD sector's length.
  EXPECT_EQ(send(WriteSectors, stored + 3, 2, data.data()), 0u);
  ASSERT_EQ(file.size(), std::size_t{stored + 5} * 512);
  EXPECT_EQ(Bytes(file.begin() + stored * 512, file.begin() + (stored + 3) * 512),
            Bytes(3 * 512, 0));
  EXPECT_EQ(Bytes(file.begin() + (stored + 3) * 512, file.end()), data);
}

}  // namespace
