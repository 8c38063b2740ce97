#include "media/cd_image_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_index.h"
#include "esifs/disk_info.h"
#include "media/image_commands.h"
#include "media/image_file.h"
#include "tests/support/esi_image.h"
#include "tests/support/test_context.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kSettings = "Software\\Brightfen\\Korrin\\0.10";
const std::string kList = kSettings + "\\ISO";

struct CdImageTest : ::testing::Test {
  TestContext t;
  Context& ctx = t.ctx;
  CdImageDriver* driver = nullptr;

  void SetUp() override {
    ctx.settingsKey = t.registry.createKey(kLocalMachine, kSettings);
    t.addRoot();
    ctx.drivers.push_back(std::make_unique<CdImageDriver>(ctx));
    driver = static_cast<CdImageDriver*>(ctx.drivers.back().get());
    ASSERT_TRUE(RegisterDiskOs(ctx, *driver));
  }

  // Registers existing images (and missing ones, "-" for no file).
  void registerImages(const std::vector<std::string>& paths, bool scanNow = true) {
    MemoryRegistry::Values& list = t.registry.key(kList);
    for (std::size_t i = 0; i < paths.size(); ++i) {
      std::string path = paths[i];
      if (path[0] == '-')
        path.erase(0, 1);
      else
        t.files.data(path) = EsiImage().file(4);
      list[std::to_string(i + 1)] = MemoryRegistry::Value{false, 0, path};
    }
    list["Files"] = MemoryRegistry::Value{true, static_cast<std::uint32_t>(paths.size()), ""};
    if (scanNow) {
      EXPECT_EQ(send(makeRequest(Scan)), 0u);
    }
  }
  // The image list as the registry holds it.
  std::string listed() {
    std::string s;
    for (const auto& [name, value] : t.registry.key(kList))
      s += name + "=" + (value.isNumber ? std::to_string(value.number) : value.text) + " ";
    return s;
  }

  std::uint32_t send(DiskOsRequest r, DiskOsRequest* out = nullptr) {
    r.diskOs = static_cast<DiskOsWord>(driver->ownIndex());
    std::uint32_t result = SendDiskOs(ctx, r);
    if (out)
      *out = r;
    return result;
  }
  std::uint32_t transfer(std::uint32_t code, int drv, std::uint32_t first, std::uint32_t count,
                         std::uint8_t* buffer, std::uint32_t size) {
    DiskOsRequest r = makeRequest(code, static_cast<DiskOsWord>(drv));
    r.par0 = first;
    r.par1 = count;
    r.bufI = reinterpret_cast<DiskOsWord>(buffer);
    r.bIsz = size;
    return send(r);
  }
  int deviceNode(int drv) {
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].type == ImageFile && ctx.nodes[i].device == drv)
        return i;
    }
    return 0;
  }
};

TEST_F(CdImageTest, RegisterAddsTheDriverNodeAndNamesTheEntry) {
  int node = driver->driverNode();
  ASSERT_NE(node, 0);
  EXPECT_STREQ(ctx.nodes[node].name, "CD image files");
  EXPECT_EQ(ctx.nodes[node].canAddDevices, 1);
  EXPECT_STREQ(ctx.diskOses.entries[driver->ownIndex()].name, "ISO Image  v1.0");
  EXPECT_EQ(send(makeSubRequest(GetCodeMask)), 0xC00F001Fu);
  EXPECT_EQ(send(makeRequest(QueryReadOnly)), 0u);
  EXPECT_EQ(FindCdImageDriver(ctx), driver);
}

TEST_F(CdImageTest, StatusTextsStandWhileTheDriverWaits) {
  auto row = [this](int r) {
    std::string s;
    for (int c = 0; c < kLcdColumns; ++c)
      s += static_cast<char>(ctx.lcd.at(0, r, c));
    return s.substr(0, s.find_last_not_of(' ') + 1);
  };
  std::vector<std::string> seen;
  t.host.onSleep = [&](unsigned ms) {
    seen.push_back(std::to_string(ms) + " " + row(2) + "|" + row(3));
  };
  CdImageDriver second(ctx);
  ASSERT_TRUE(RegisterDiskOs(ctx, second));
  registerImages({"C:\\img\\one.iso"}, false);
  DiskOsRequest r = makeRequest(Scan);
  r.diskOs = 1;
  SendDiskOs(ctx, r);
  // The window is up since the first driver registered: only the driver waits.
  EXPECT_EQ(seen, (std::vector<std::string>{"100 |ISO Image  v1.0", "100 Locating CD image files|",
                                            "50 Locating CD image files|one.iso"}));
  EXPECT_EQ(row(2), "");
  EXPECT_EQ(row(3), "");
}

TEST_F(CdImageTest, CreatedImageIsStampedOpensAndListsNoBanks) {
  ASSERT_TRUE(CreateImageFile(ctx, "new.iso"));
  const std::string path = "C:\\Work\\new.iso";
  Bytes bytes = t.files.data(path);
  ASSERT_EQ(bytes.size(), 14336u);
  EXPECT_EQ(std::memcmp(bytes.data() + 992, "0.10\0\0\0\0", 8), 0);
  EXPECT_EQ(std::count(bytes.begin() + 12800, bytes.end(), 0), 14336 - 12800);
  DiskInfo d = ReadDiskInfo(bytes.data());
  EXPECT_TRUE(IsV2Compatible(bytes.data()) && d.lastSector == 1331199u);
  // Every Bank Index sector waits to be taken into use.
  for (std::uint32_t k = 0; k < d.bankIndexCount; ++k) {
    const std::uint8_t* s = &bytes[(d.bankIndexSector + k) * 512];
    EXPECT_TRUE(IsUnusedIndexSector(s) && EndsBankListing(s) && FirstFreeEntry(s) == 0);
  }
  // Blocks 1..blockCount are free; entry 0 and those past blockCount are not.
  const std::uint8_t* bat = &bytes[d.batSector * 512];
  for (std::uint32_t b : {0u, 1u, d.blockCount, d.blockCount + 1, d.batCount * 256 - 1})
    EXPECT_EQ(getLe16(bat + 2 * b), b == 0 || b > d.blockCount ? 0x7FFF : 0) << b;

  AddImageFile(ctx, "new.iso");
  EXPECT_EQ(listed(), "1=" + path + " Files=1 ");
  ASSERT_EQ(driver->deviceCount(), 1);
  EXPECT_EQ(t.files.data(path), bytes);  // opening changed nothing
  int node = deviceNode(0);
  listDevice(ctx, node, false);
  EXPECT_EQ(firstChild(ctx, node), 0);  // no banks, and the placeholder went
  EXPECT_EQ(ctx.nodes[node].ready, 1);
  EXPECT_EQ(driver->device(0).blockFactor, 8);
}

TEST_F(CdImageTest, ScanDropsImagesThatAreMissingOrNoLongerWholeCdSectors) {
  ASSERT_TRUE(CreateImageFile(ctx, "C:\\a.iso"));
  t.files.data("C:\\a.iso").push_back(0);
  registerImages({"-C:\\a.iso", "C:\\b.iso", "-C:\\missing.iso", "C:\\d.iso"});
  ASSERT_EQ(driver->deviceCount(), 2);
  EXPECT_STREQ(ctx.nodes[deviceNode(0)].name, "b.iso");
  EXPECT_STREQ(ctx.nodes[deviceNode(1)].name, "d.iso");
  EXPECT_EQ(listed(), "1=C:\\b.iso 2=C:\\d.iso Files=2 ");
  EXPECT_EQ(t.files.openCount(), 2);

  ctx.settingsKey = kNoKey;  // no settings key: nothing to scan, and no harm
  EXPECT_EQ(send(makeRequest(Scan)), 0u);
}

TEST_F(CdImageTest, ListNamesComeFromTheStringTable) {
  t.host.strings = {{300, "IMAGES"}, {301, "Count"}};
  t.files.data("C:\\x.iso") = EsiImage().file(4);
  RegKey list = t.registry.createKey(ctx.settingsKey, "IMAGES");
  t.registry.writeString(list, "1", "C:\\x.iso");
  t.registry.writeNumber(list, "Count", 1);
  send(makeRequest(Scan));
  EXPECT_EQ(driver->deviceCount(), 1);
}

TEST_F(CdImageTest, ImagesPastTheFirstFourStayRegistered) {
  // A missing image among more than four: the next registered one opens in
  // its place, and nothing past the first four is lost from the list.
  registerImages({"C:\1.iso", "-C:\2.iso", "C:\3.iso", "C:\4.iso", "C:\5.iso", "C:\6.iso"});
  ASSERT_EQ(send(makeRequest(DeviceCount)), 4u);
  EXPECT_STREQ(driver->device(3).path, "C:\5.iso");
  EXPECT_EQ(listed(), "1=C:\1.iso 2=C:\3.iso 3=C:\4.iso 4=C:\5.iso 5=C:\6.iso Files=5 ");

  // Removing an open image and adding another keeps entry k for device k - 1.
  RemoveImageCommand(ctx, deviceNode(1));
  EXPECT_EQ(listed(), "1=C:\1.iso 2=C:\4.iso 3=C:\5.iso 4=C:\6.iso Files=4 ");
  ASSERT_TRUE(CreateImageFile(ctx, "C:\new.iso"));
  ASSERT_TRUE(AddImageFile(ctx, "C:\new.iso"));
  ASSERT_EQ(driver->deviceCount(), 4);
  EXPECT_STREQ(driver->device(3).path, "C:\new.iso");
  EXPECT_EQ(listed(), "1=C:\1.iso 2=C:\4.iso 3=C:\5.iso 4=C:\new.iso 5=C:\6.iso Files=5 ");
  RemoveImageCommand(ctx, deviceNode(3));
  EXPECT_EQ(listed(), "1=C:\1.iso 2=C:\4.iso 3=C:\5.iso 4=C:\6.iso Files=4 ");
}

TEST_F(CdImageTest, SectorTransfersCheckTheBufferAndReportFileErrors) {
  registerImages({"C:\\x.iso"});
  Bytes& file = t.files.data("C:\\x.iso");
  file.resize(14336);
  Bytes buffer(1024, 0x77);
  EXPECT_EQ(transfer(ReadSectors, 0, 2, 0, buffer.data(), 512), 0u);  // count 0 reads one
  EXPECT_EQ(std::memcmp(buffer.data(), &file[1024], 512), 0);
  EXPECT_EQ(buffer[512], 0x77);

  std::fill(buffer.begin(), buffer.end(), 0x77);
  EXPECT_EQ(transfer(ReadSectors, 0, 0, 2, buffer.data(), 1023), 256u);
  EXPECT_EQ(transfer(WriteSectors, 0, 40, 1, buffer.data(), 511), 256u);
  EXPECT_EQ(buffer[0], 0x77);
  EXPECT_EQ(file.size(), 14336u);

  EXPECT_EQ(transfer(WriteSectors, 0, 40, 1, buffer.data(), 512), 0u);
  EXPECT_EQ(file.size(), 22528u);
  t.files.failWriteAt = 1;
  EXPECT_EQ(transfer(WriteSectors, 0, 3, 1, buffer.data(), 512), 0x40010u);
  // Past the end of the file but on the disk: zeros, as a write would have
  // left there. Past the disk: an error.
  EXPECT_EQ(transfer(ReadSectors, 0, 44, 1, buffer.data(), 512), 0u);
  EXPECT_EQ(buffer[0], 0);
  std::uint32_t diskEnd = ReadDiskInfo(file.data()).lastSector + 1;
  EXPECT_EQ(transfer(ReadSectors, 0, diskEnd - 1, 2, buffer.data(), 1024), 0x40010u);

  // No such device, no such code: the dump, and 64.
  EXPECT_EQ(transfer(ReadSectors, 1, 0, 1, buffer.data(), 512), 64u);
  EXPECT_EQ(send(makeSubRequest(16)), 64u);
  EXPECT_EQ(send(DiskOsRequest{}), 64u);
  EXPECT_EQ(t.host.messages, (std::vector<std::string>(3, "Disk OS error")));
}

TEST_F(CdImageTest, RemoveRenumbersTheImagesAfterIt) {
  registerImages({"C:\\A.iso", "C:\\B.iso", "C:\\C.iso"});
  RemoveImageCommand(ctx, deviceNode(1));
  EXPECT_EQ(ctx.busy, 0);
  ASSERT_EQ(driver->deviceCount(), 2);
  EXPECT_EQ(listed(), "1=C:\\A.iso 2=C:\\C.iso Files=2 ");
  EXPECT_EQ(t.files.openCount(), 2);
  EXPECT_STREQ(ctx.nodes[deviceNode(1)].name, "C.iso");

  // The renumbered image still answers under its new number.
  std::uint8_t sector[512];
  EXPECT_EQ(transfer(ReadSectors, 1, 0, 1, sector, 512), 0u);
  EXPECT_EQ(transfer(ReadSectors, 2, 0, 1, sector, 512), 64u);

  // Anything but an image node is left alone.
  RemoveImageCommand(ctx, driver->driverNode());
  EXPECT_EQ(driver->deviceCount(), 2);
}

TEST_F(CdImageTest, CreateFailuresSayUnableToCreate) {
  t.files.data("C:\\ro.iso") = {1, 2, 3};
  t.files.setReadOnly("C:\\ro.iso");
  EXPECT_FALSE(CreateImageFile(ctx, "C:\\ro.iso"));
  EXPECT_EQ(t.files.data("C:\\ro.iso").size(), 3u);
  t.files.failWriteAt = 2;
  EXPECT_FALSE(CreateImageFile(ctx, "C:\\w.iso"));
  EXPECT_FALSE(t.files.exists("C:\\w.iso"));
  EXPECT_EQ(t.host.messages, (std::vector<std::string>(2, "Unable to create ISO image file")));
  // The name is registered all the same and drops out again.
  AddImageFile(ctx, "C:\\w.iso");
  EXPECT_EQ(driver->deviceCount(), 0);
  EXPECT_EQ(listed(), "Files=0 ");
}

TEST_F(CdImageTest, GetDeviceNamesFillsTheCallersRecord) {
  registerImages({"C:\\dir\\n.iso"});
  std::vector<char> record(532, 'x');
  DiskOsRequest r = makeSubRequest(GetDeviceNames);
  r.par0 = reinterpret_cast<DiskOsWord>(record.data());
  EXPECT_EQ(send(r), 0u);
  EXPECT_STREQ(&record[12], "C:\\dir\\n.iso");
  EXPECT_STREQ(&record[272], "n.iso");
  EXPECT_EQ(record[0], 'x');
}

}  // namespace
