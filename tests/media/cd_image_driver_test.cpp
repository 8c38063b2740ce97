#include "media/cd_image_driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_index.h"
#include "esifs/disk_info.h"
#include "esifs/keystream.h"
#include "media/image_commands.h"
#include "media/image_file.h"
#include "tests/support/esi_disk_image.h"
#include "tests/support/test_context.h"

namespace {

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

  MemoryRegistry::Values& list() { return t.registry.key(kList); }
  void registerImages(const std::vector<std::string>& paths) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
      list()[std::to_string(i + 1)] = MemoryRegistry::Value{false, 0, paths[i]};
    }
    list()["Files"] = MemoryRegistry::Value{true, static_cast<std::uint32_t>(paths.size()), ""};
  }
  std::string entry(const std::string& name) { return list()[name].text; }
  std::uint32_t filesValue() { return list()["Files"].number; }

  std::uint32_t send(DiskOsRequest r, DiskOsRequest* out = nullptr) {
    r.diskOs = static_cast<DiskOsWord>(driver->ownIndex());
    std::uint32_t result = SendDiskOs(ctx, r);
    if (out)
      *out = r;
    return result;
  }
  std::uint32_t scan() { return send(makeRequest(Scan)); }
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
  std::vector<int> children(int node) {
    std::vector<int> out;
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].parent == node)
        out.push_back(i);
    }
    return out;
  }
  // An image with banks 5, 1 and 3 in index order and "BB" from the second sector.
  std::vector<std::uint8_t> imageWithBanks() {
    EsiDiskImage disk(SmallDisk(), 28);
    disk.putBank(0, 0, "PIANO          X", 5, 1, 70000);
    disk.putBank(0, 1, "BASS", 1, 2, 512);
    disk.putBank(0, 2, "DRUMS", 3, 3, 100);
    disk.markUnused(1);
    return disk.bytes;
  }
};

TEST_F(CdImageTest, RegisterAddsTheDriverNodeAndNamesTheEntry) {
  int node = driver->driverNode();
  ASSERT_NE(node, 0);
  EXPECT_STREQ(ctx.nodes[node].name, "CD image files");
  EXPECT_EQ(ctx.nodes[node].type, DiskOsNode);
  EXPECT_EQ(ctx.nodes[node].canAddDevices, 1);
  EXPECT_EQ(ctx.nodes[node].diskOs, driver->ownIndex());
  EXPECT_STREQ(ctx.diskOses.entries[driver->ownIndex()].name, "ISO Image  v1.0");
  EXPECT_EQ(send(makeSubRequest(GetCodeMask)), 0xC00F001Fu);
  EXPECT_EQ(send(makeSubRequest(GetSubCodeMask)), 15u);
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
  t.files.data("C:\\img\\one.iso") = EsiDiskImage(SmallDisk(), 4).bytes;
  registerImages({"C:\\img\\one.iso"});
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
  std::vector<std::uint8_t> bytes = t.files.data(path);
  ASSERT_EQ(bytes.size(), 14336u);
  EXPECT_EQ(std::memcmp(bytes.data(), "EMU3", 4), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 992, "0.10\0\0\0\0", 8), 0);
  for (std::size_t i = 12800; i < bytes.size(); ++i)
    ASSERT_EQ(bytes[i], 0);
  DiskInfo d = ReadDiskInfo(bytes.data());
  EXPECT_TRUE(IsV2Compatible(bytes.data()));
  EXPECT_EQ(d.lastSector, 1331199u);
  EXPECT_TRUE(IsUsableEsiDisk(d));
  // Every Bank Index sector waits to be taken into use.
  for (std::uint32_t k = 0; k < d.bankIndexCount; ++k) {
    const std::uint8_t* s = &bytes[(d.bankIndexSector + k) * 512];
    EXPECT_TRUE(IsUnusedIndexSector(s) && EndsBankListing(s) && FirstFreeEntry(s) == 0);
  }
  // Blocks 1..blockCount are free; entry 0 and those past blockCount are not.
  const std::uint8_t* bat = &bytes[d.batSector * 512];
  EXPECT_EQ(getLe16(bat), 0x7FFF);
  EXPECT_EQ(getLe16(bat + 2), 0);
  EXPECT_EQ(getLe16(bat + 2 * d.blockCount), 0);
  EXPECT_EQ(getLe16(bat + 2 * (d.blockCount + 1)), 0x7FFF);
  EXPECT_EQ(getLe16(bat + d.batCount * 512 - 2), 0x7FFF);

  AddImageFile(ctx, "new.iso");
  EXPECT_EQ(entry("1"), path);
  EXPECT_EQ(filesValue(), 1u);
  ASSERT_EQ(driver->deviceCount(), 1);
  EXPECT_EQ(t.files.data(path), bytes);  // opening changed nothing
  int node = deviceNode(0);
  ASSERT_NE(node, 0);
  EXPECT_STREQ(ctx.nodes[node].name, "new.iso");
  EXPECT_STREQ(driver->device(0).path, path.c_str());
  ASSERT_EQ(children(node).size(), 1u);
  EXPECT_EQ(ctx.nodes[children(node)[0]].type, Placeholder);

  listDevice(ctx, node, false);
  EXPECT_TRUE(children(node).empty());
  EXPECT_EQ(ctx.nodes[node].ready, 1);
  EXPECT_EQ(ctx.nodes[node].blockFactor, 8);
  EXPECT_EQ(driver->device(0).blockFactor, 8);
}

TEST_F(CdImageTest, ImageThatGrewByOneByteIsUnregisteredAtTheNextScan) {
  ASSERT_TRUE(CreateImageFile(ctx, "C:\\a.iso"));
  ASSERT_TRUE(CreateImageFile(ctx, "C:\\b.iso"));
  t.files.data("C:\\a.iso").push_back(0);
  registerImages({"C:\\a.iso", "C:\\b.iso"});
  EXPECT_EQ(scan(), 0u);
  EXPECT_EQ(driver->deviceCount(), 1);
  EXPECT_STREQ(driver->device(0).displayName, "b.iso");
  EXPECT_EQ(entry("1"), "C:\\b.iso");
  EXPECT_EQ(list().count("2"), 0u);
  EXPECT_EQ(filesValue(), 1u);
  EXPECT_EQ(t.files.openCount(), 1);
}

TEST_F(CdImageTest, ScanOpensAtMostFourImages) {
  std::vector<std::string> paths;
  for (int i = 1; i <= 6; ++i) {
    paths.push_back("C:\\" + std::to_string(i) + ".iso");
    t.files.data(paths.back()) = EsiDiskImage(SmallDisk(), 4).bytes;
  }
  registerImages(paths);
  scan();
  ASSERT_EQ(driver->deviceCount(), 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(driver->device(i).path, paths[i]);
  EXPECT_EQ(filesValue(), 6u);  // the cap is the driver's, not the list's
  EXPECT_EQ(driver->imageListCount(), 4);
  EXPECT_EQ(send(makeRequest(DeviceCount)), 4u);
}

TEST_F(CdImageTest, MissingImageIsDroppedAndTheNextMovesIntoItsPlace) {
  t.files.data("C:\\P.iso") = EsiDiskImage(SmallDisk(), 4).bytes;
  t.files.data("C:\\R.iso") = EsiDiskImage(SmallDisk(), 4).bytes;
  registerImages({"C:\\P.iso", "C:\\Q.iso", "C:\\R.iso"});
  scan();
  EXPECT_EQ(entry("1"), "C:\\P.iso");
  EXPECT_EQ(entry("2"), "C:\\R.iso");
  EXPECT_EQ(list().count("3"), 0u);
  EXPECT_EQ(filesValue(), 2u);
  ASSERT_EQ(driver->deviceCount(), 2);
  EXPECT_STREQ(ctx.nodes[deviceNode(0)].name, "P.iso");
  EXPECT_STREQ(ctx.nodes[deviceNode(1)].name, "R.iso");
  EXPECT_EQ(ctx.nodes[deviceNode(1)].diskOs, driver->ownIndex());
}

TEST_F(CdImageTest, ScanWithoutAListOrKeyOpensNothing) {
  EXPECT_EQ(scan(), 0u);
  EXPECT_EQ(driver->deviceCount(), 0);
  ctx.settingsKey = kNoKey;
  EXPECT_EQ(scan(), 0u);
  EXPECT_EQ(driver->deviceCount(), 0);
}

TEST_F(CdImageTest, SectorTransfersCheckTheBufferAndReportFileErrors) {
  t.files.data("C:\\x.iso") = imageWithBanks();
  AddImageFile(ctx, "C:\\x.iso");
  ASSERT_EQ(driver->deviceCount(), 1);
  std::vector<std::uint8_t> buffer(1024, 0x77);

  EXPECT_EQ(transfer(ReadSectors, 0, 2, 0, buffer.data(), 512), 0u);  // count 0 reads one
  EXPECT_EQ(std::memcmp(buffer.data(), &t.files.data("C:\\x.iso")[1024], 512), 0);
  EXPECT_EQ(buffer[512], 0x77);

  std::fill(buffer.begin(), buffer.end(), 0x77);
  EXPECT_EQ(transfer(ReadSectors, 0, 0, 2, buffer.data(), 1023), 256u);
  EXPECT_EQ(transfer(WriteSectors, 0, 40, 1, buffer.data(), 511), 256u);
  EXPECT_EQ(buffer[0], 0x77);
  EXPECT_EQ(t.files.data("C:\\x.iso").size(), 14336u);

  EXPECT_EQ(transfer(WriteSectors, 0, 40, 1, buffer.data(), 512), 0u);
  EXPECT_EQ(t.files.data("C:\\x.iso").size(), 22528u);
  t.files.failWriteAt = 1;
  EXPECT_EQ(transfer(WriteSectors, 0, 3, 1, buffer.data(), 512), 0x40010u);
  EXPECT_EQ(transfer(ReadSectors, 0, 44, 1, buffer.data(), 512), 0x40010u);  // past the end
}

TEST_F(CdImageTest, RequestsItDoesNotServeShowTheDumpAndAnswer64) {
  std::uint8_t buffer[512];
  EXPECT_EQ(transfer(ReadSectors, 0, 0, 1, buffer, 512), 64u);  // no such device
  EXPECT_EQ(send(makeSubRequest(16)), 64u);
  DiskOsRequest nothing{};
  EXPECT_EQ(send(nothing), 64u);
  EXPECT_EQ(t.host.messages, (std::vector<std::string>(3, "Disk OS error")));
}

TEST_F(CdImageTest, ListingAnImageShowsItsBanksInNumberOrder) {
  t.files.data("C:\\banks.iso") = imageWithBanks();
  AddImageFile(ctx, "C:\\banks.iso");
  int node = deviceNode(0);
  ctx.nodes.selectedNode = node;
  showNodeInList(ctx, node);
  EXPECT_EQ(t.views.rowTexts(1), (std::vector<std::string>{"B01", "B03", "B05"}));
  EXPECT_EQ(t.views.rowTexts(0), (std::vector<std::string>{"BASS", "DRUMS", "PIANO"}));
  EXPECT_EQ(t.views.rowTexts(2), (std::vector<std::string>{"512 bytes", "100 bytes", "68.35 K"}));

  DiskOsRequest r = makeRequest(CountBanks);
  EXPECT_EQ(send(r), 3u);

  // Without a node only the output area is filled.
  std::uint8_t out[3200];
  r = makeRequest(ListBanks);
  r.par1 = 4;
  r.bufI = reinterpret_cast<DiskOsWord>(out);
  r.bIsz = sizeof out;
  int nodes = ctx.nodes.count;
  EXPECT_EQ(send(r, &r), 0u);
  EXPECT_EQ(r.par2, 2u);
  EXPECT_EQ(ctx.nodes.count, nodes);
}

TEST_F(CdImageTest, UnreadableIndexAnswers8000) {
  DiskInfo d = SmallDisk();
  d.bankIndexSector = 30;  // past the end of the 28-sector file
  t.files.data("C:\\cut.iso") = EsiDiskImage(d, 28).bytes;
  AddImageFile(ctx, "C:\\cut.iso");
  ASSERT_EQ(driver->deviceCount(), 1);
  DiskOsRequest r = makeRequest(ListBanks);
  r.par1 = 99;
  r.par3 = static_cast<DiskOsWord>(deviceNode(0));
  r.bufI = reinterpret_cast<DiskOsWord>(ctx.listBuffer);
  r.bIsz = sizeof ctx.listBuffer;
  EXPECT_EQ(send(r), 0x8000u);
  ASSERT_EQ(children(deviceNode(0)).size(), 1u);  // the placeholder stays
}

TEST_F(CdImageTest, RemoveRenumbersTheImagesAfterIt) {
  for (const char* p : {"C:\\A.iso", "C:\\B.iso", "C:\\C.iso"}) {
    t.files.data(p) = EsiDiskImage(SmallDisk(), 4).bytes;
  }
  registerImages({"C:\\A.iso", "C:\\B.iso", "C:\\C.iso"});
  scan();
  ASSERT_EQ(driver->deviceCount(), 3);
  int third = deviceNode(2);
  std::string thirdName = ctx.nodes[third].name;

  RemoveImageCommand(ctx, deviceNode(1));
  EXPECT_EQ(ctx.busy, 0);
  ASSERT_EQ(driver->deviceCount(), 2);
  EXPECT_STREQ(driver->device(1).path, "C:\\C.iso");
  EXPECT_EQ(entry("1"), "C:\\A.iso");
  EXPECT_EQ(entry("2"), "C:\\C.iso");
  EXPECT_EQ(list().count("3"), 0u);
  EXPECT_EQ(filesValue(), 2u);
  EXPECT_EQ(t.files.openCount(), 2);
  EXPECT_EQ(ctx.nodes[deviceNode(1)].name, thirdName);

  // The renumbered image still answers under its new number.
  std::uint8_t sector[512];
  EXPECT_EQ(transfer(ReadSectors, 1, 0, 1, sector, 512), 0u);
  EXPECT_EQ(transfer(ReadSectors, 2, 0, 1, sector, 512), 64u);

  // Anything but an image node is left alone.
  RemoveImageCommand(ctx, driver->driverNode());
  EXPECT_EQ(driver->deviceCount(), 2);
}

TEST_F(CdImageTest, AddingBeyondFourImagesIsDroppedAgain) {
  for (int i = 1; i <= 5; ++i) {
    std::string p = "C:\\" + std::to_string(i) + ".iso";
    t.files.data(p) = EsiDiskImage(SmallDisk(), 4).bytes;
    AddImageFile(ctx, p);
  }
  EXPECT_EQ(driver->deviceCount(), 4);
  EXPECT_EQ(filesValue(), 4u);
  EXPECT_EQ(list().count("5"), 0u);
  EXPECT_EQ(t.files.openCount(), 4);
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
  EXPECT_EQ(filesValue(), 0u);
}

TEST_F(CdImageTest, GetDeviceNamesFillsTheCallersRecord) {
  t.files.data("C:\\dir\\n.iso") = EsiDiskImage(SmallDisk(), 4).bytes;
  AddImageFile(ctx, "C:\\dir\\n.iso");
  std::vector<char> record(532, 'x');
  DiskOsRequest r = makeSubRequest(GetDeviceNames);
  r.par0 = reinterpret_cast<DiskOsWord>(record.data());
  EXPECT_EQ(send(r), 0u);
  EXPECT_STREQ(&record[12], "C:\\dir\\n.iso");
  EXPECT_STREQ(&record[272], "n.iso");
  EXPECT_EQ(record[0], 'x');
}

TEST_F(CdImageTest, HostileImagesOpenAndListWithoutHarm) {
  DiskInfo huge = SmallDisk();
  huge.batCount = 0xFFFFFFFF;
  huge.bankIndexCount = 0xFFFFFFFF;
  huge.lastSector = 0xFFFFFFFF;
  EsiDiskImage a(huge, 8);
  for (int i = 0; i < 16; ++i)
    a.putBank(0, i, "SAME", 7, 0xFFFF, 0xFFFFFFFF);
  DiskInfo code0 = SmallDisk();
  code0.blockSizeCode = 0;
  EsiDiskImage b(code0, 4);
  b.putBank(0, 0, "B", 1, 1, 10);
  t.files.data("C:\\a.iso") = a.bytes;
  t.files.data("C:\\b.iso") = b.bytes;
  AddImageFile(ctx, "C:\\a.iso");
  AddImageFile(ctx, "C:\\b.iso");
  ASSERT_EQ(driver->deviceCount(), 2);
  // The clamp of the first on opening: a CD's worth of sectors at most.
  EXPECT_EQ(ReadDiskInfo(t.files.data("C:\\a.iso").data()).lastSector, 1331199u);

  for (int drv = 0; drv < 2; ++drv)
    listDevice(ctx, deviceNode(drv), false);
  EXPECT_EQ(children(deviceNode(0)).size(), 16u);
  EXPECT_TRUE(children(deviceNode(1)).empty());  // no block size: nothing listed
  EXPECT_EQ(driver->device(1).blockFactor, 0);
}

}  // namespace
