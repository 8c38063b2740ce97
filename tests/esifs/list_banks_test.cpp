#include "esifs/list_banks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_index.h"
#include "esifs/disk_info.h"
#include "tests/support/esi_image.h"
#include "tests/support/test_context.h"

namespace {

EsiLayout fourIndexSectors() {
  EsiLayout l;
  l.blockCount = 7;
  l.indexSectors = l.usedIndexSectors = 4;
  return l;
}

struct ListBanksTest : ::testing::Test {
  TestContext t;
  Context& ctx = t.ctx;
  EsiImage disk{fourIndexSectors()};
  const std::uint32_t index = disk.info.bankIndexSector;
  std::vector<std::uint32_t> reads;   // sectors read, in order
  std::uint32_t failAt = 0xFFFFFFFF;  // this sector fails to read
  int device = 0;
  std::uint8_t out[3200 + 32];
  std::uint8_t blockFactor = 0;
  std::uint32_t par2 = 0;

  void SetUp() override {
    int root = t.addRoot();
    int driver = addNode(ctx, root, DiskOsNode, "Disks");
    device = addNode(ctx, driver, FixedDisk, "Disk");
    addPlaceholder(ctx, device);
    std::memset(out, 0xEE, sizeof out);
  }

  SectorReader reader() {
    return [this](std::uint32_t first, std::uint32_t count, std::uint8_t* buffer) {
      for (std::uint32_t i = 0; i < count; ++i)
        reads.push_back(first + i);
      if ((first <= failAt && failAt < first + count) ||
          (first + count) * 512ull > disk.bytes.size())
        return 0x40010u;
      std::memcpy(buffer, disk.sector(first), count * 512);
      return 0u;
    };
  }

  std::uint32_t list(int node, std::uint32_t bIsz = 3200, DiskOsWord lo = 0, DiskOsWord hi = 99) {
    DiskOsRequest r = makeRequest(ListBanks);
    r.par0 = lo;
    r.par1 = hi;
    r.par3 = static_cast<DiskOsWord>(node);
    r.bufI = reinterpret_cast<DiskOsWord>(out);
    r.bIsz = bIsz;
    reads.clear();
    std::uint32_t result = ListDiskBanks(ctx, reader(), r, &blockFactor);
    par2 = static_cast<std::uint32_t>(r.par2);
    return result;
  }

  std::vector<int> children(int node) {
    std::vector<int> out;
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].parent == node)
        out.push_back(i);
    }
    return out;
  }
  std::uint16_t outNumber(int i) { return EntryNumber(out + 32 * i); }
};

TEST_F(ListBanksTest, BankRowsComeInNumberOrderWithNamesSizesAndBlockWords) {
  disk.putEntry(0, 0, "PIANO          X", 5, 0x0102, 65536);
  disk.putEntry(0, 1, "STRINGS", 1, 3, 1536);
  disk.putEntry(0, 3, "BRASS", 3, 4, 0);
  disk.markUnused(1);
  ctx.nodes.selectedNode = device;
  ctx.nodes.shownNode = device;

  EXPECT_EQ(list(device), 0u);
  EXPECT_EQ(par2, 3u);
  // The output area holds the entries in index order.
  EXPECT_EQ(0, std::memcmp(out, disk.indexEntry(0, 0), 64));
  EXPECT_EQ(outNumber(2), 3);
  EXPECT_EQ(out[3 * 32], 0xEE);

  EXPECT_EQ(t.views.rowTexts(1), (std::vector<std::string>{"B01", "B03", "B05"}));
  EXPECT_EQ(t.views.rowTexts(0), (std::vector<std::string>{"STRINGS", "BRASS", "PIANO"}));
  EXPECT_EQ(t.views.rowTexts(2), (std::vector<std::string>{"1.50 K", "0 bytes", "64 K"}));
  std::vector<int> banks = children(device);
  ASSERT_EQ(banks.size(), 3u);  // the placeholder went
  const TreeNode& piano = ctx.nodes[banks[0]];
  EXPECT_EQ(piano.size, 65536u);
  EXPECT_EQ(piano.bankWord, 0x0201);  // bytes 18-19 taken most significant first
  EXPECT_EQ(0, std::memcmp(ctx.nodes[device].diskInfo, disk.sector(0), 512));
  EXPECT_EQ(ctx.nodes[device].blockFactor, 1);
  EXPECT_EQ(blockFactor, 1);
  EXPECT_TRUE(t.views.items[ctx.nodes[device].treeItem].expanded);
  EXPECT_EQ(ctx.lcd.LcdProgressPosition(), ctx.lcd.LcdProgressEnd());
}

// The count goes past "BB" sectors, the listing stops at the first.
TEST_F(ListBanksTest, BBSectorEndsTheListingWithoutReadingFurtherButNotTheCount) {
  disk.putEntry(0, 0, "ONE", 1, 1, 10);
  disk.putEntry(0, 1, "TOO HIGH", 100, 1, 10);
  disk.markUnused(1);
  disk.putEntry(2, 0, "HIDDEN", 2, 2, 10);
  EXPECT_EQ(list(device), 0u);
  EXPECT_EQ(par2, 1u);
  EXPECT_EQ(reads, (std::vector<std::uint32_t>{0, index, index + 1}));
  EXPECT_EQ(CountDiskBanks(ctx, reader()), 2u);
  failAt = index + 3;
  EXPECT_EQ(CountDiskBanks(ctx, reader()), 0u);

  // A first sector of "BB" lists nothing and takes the placeholder away.
  disk.markUnused(0);
  EXPECT_EQ(list(device), 0u);
  EXPECT_TRUE(children(device).empty());
}

TEST_F(ListBanksTest, OnlyEntriesInUseWithinTheRangeAreListedAndOnlyUnderADevice) {
  disk.putEntry(0, 0, "LOW", 2, 1, 10);
  disk.putEntry(0, 1, "MID", 4, 1, 10);
  disk.putEntry(0, 2, "HIGH", 150, 1, 10);
  disk.putEntry(0, 3, "FREE", 3, 1, 10);
  disk.indexEntry(0, 3)[26] = 0x01;  // in-use bit clear
  disk.putEntry(1, 15, "LATER", 8, 2, 10);
  int nodes = ctx.nodes.count;
  EXPECT_EQ(list(0, 3200, 3, 150), 0u);
  EXPECT_EQ(par2, 3u);
  EXPECT_EQ(std::vector<int>({outNumber(0), outNumber(1), outNumber(2)}),
            std::vector<int>({4, 150, 8}));
  // Without a device node, or with a node that is no device, only the output is filled.
  EXPECT_EQ(list(children(device)[0]), 0u);
  EXPECT_EQ(list(123456), 0u);
  EXPECT_EQ(ctx.nodes.count, nodes);
}

TEST_F(ListBanksTest, IndexReadFailureAnswers8000AndKeepsWhatWasFound) {
  disk.putEntry(0, 0, "ONE", 1, 1, 10);
  failAt = index + 1;
  EXPECT_EQ(list(device), 0x8000u);
  EXPECT_EQ(par2, 1u);
  EXPECT_EQ(ctx.nodes[firstChild(ctx, device)].type, Bank);

  // Nothing found yet: the placeholder stays.
  failAt = index;
  removeChildren(ctx, device, false);
  addPlaceholder(ctx, device);
  EXPECT_EQ(list(device), 0x8000u);
  EXPECT_EQ(ctx.nodes[firstChild(ctx, device)].type, Placeholder);
}

TEST_F(ListBanksTest, DiskThatFailsItsCheckOrHasAnUnknownBlockSizeIsNotListed) {
  disk.putEntry(0, 0, "ONE", 1, 1, 10);
  disk.sector(0)[0x1FF] ^= 1;
  EXPECT_EQ(list(device), 0u);
  EXPECT_EQ(par2, 0u);
  EXPECT_TRUE(children(device).empty());
  EXPECT_EQ(reads, (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(ctx.nodes[device].blockFactor, 0);

  for (std::uint8_t code : {0, 9, 8}) {
    disk.info.blockSizeCode = code;
    disk.storeInfo(true);
    EXPECT_EQ(list(device), 0u);
    EXPECT_EQ(par2, code == 8 ? 1u : 0u) << int(code);
  }
  EXPECT_EQ(blockFactor + ctx.nodes[device].blockFactor, 2 * 128);
}

TEST_F(ListBanksTest, IndexClaimedBeyondTheDiskIsVisitedOnlyWhereItLies) {
  disk.info.lastSector = index + 7;
  disk.info.bankIndexCount = 0xFFFFFFFF;
  disk.storeInfo();
  EXPECT_EQ(list(device), 0u);
  EXPECT_EQ(reads.size(), 1u + 8);

  disk.info.lastSector = 0xFFFFFFFF;
  disk.storeInfo();
  EXPECT_EQ(IndexSectorsToVisit(disk.sector(0)), kMaxListedIndexSectors);
  disk.info.bankIndexSector = 0xFFFFFFFF;
  disk.info.lastSector = 5;
  disk.storeInfo();
  EXPECT_EQ(IndexSectorsToVisit(disk.sector(0)), 0u);
}

TEST_F(ListBanksTest, NeverWritesPastTheOutputArea) {
  for (std::uint32_t k = 0; k < 4; ++k) {
    for (int i = 0; i < 16; ++i)
      disk.putEntry(k, i, "X", i, 1, 10);
  }
  EXPECT_EQ(list(device, 3 * 32 + 31), 0u);
  EXPECT_EQ(par2 + children(device).size(), 3u + 3);
  EXPECT_EQ(out[3 * 32], 0xEE);

  // More entries than the area holds (a damaged disk): 100 at most.
  disk.info.lastSector = index + 59;
  disk.info.bankIndexCount = 60;
  disk.storeInfo();
  for (std::uint32_t k = 4; k < 60; ++k) {
    for (int i = 0; i < 16; ++i)
      disk.putEntry(k, i, "Z", 5, 1, 10);
  }
  EXPECT_EQ(list(0, 3200), 0u);
  EXPECT_EQ(par2, 100u);
  EXPECT_EQ(out[3200], 0xEE);
}

}  // namespace
