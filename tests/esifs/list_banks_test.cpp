#include "esifs/list_banks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/esi_image.h"
#include "tests/support/test_context.h"

namespace {

using Sectors = std::vector<std::uint32_t>;

struct ListBanksTest : ::testing::Test {
  TestContext t;
  Context& ctx = t.ctx;
  EsiImage disk{EsiLayout{1, 7, 1, 4, 4}};  // 7 blocks, four index sectors in use
  const std::uint32_t index = disk.info.bankIndexSector;
  Sectors reads;                      // sectors read, in order
  std::uint32_t failAt = 0xFFFFFFFF;  // this sector fails to read
  int device = 0;
  std::uint8_t out[3200 + 32];
  std::uint8_t blockFactor = 0;
  std::uint32_t par2 = 0;

  void SetUp() override {
    device = addNode(ctx, addNode(ctx, t.addRoot(), DiskOsNode, "Disks"), FixedDisk, "Disk");
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

  std::vector<int> children() {
    std::vector<int> out;
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].parent == device)
        out.push_back(i);
    }
    return out;
  }
  // The numbers in the output area (below 256: the low byte).
  std::vector<int> outNumbers() { return {out[17], out[32 + 17], out[64 + 17]}; }
};

// Entries in use within the range, in index order; rows with the names and
// sizes they code; nodes only under a device node.
TEST_F(ListBanksTest, ListsEntriesInUseWithinTheRangeAndShowsTheirNamesSizesAndBlocks) {
  disk.putEntry(0, 0, "PIANO          X", 5, 0x0102, 65536);
  disk.putEntry(0, 1, "STRINGS", 1, 3, 1536);
  disk.putEntry(0, 2, "HIGH", 150, 1, 10);
  disk.putEntry(0, 3, "FREE", 3, 1, 10);
  disk.indexEntry(0, 3)[26] = 0x01;  // in-use bit clear
  disk.putEntry(1, 15, "BRASS", 3, 4, 0);
  ctx.nodes.selectedNode = ctx.nodes.shownNode = device;
  EXPECT_EQ(list(device), 0u);
  EXPECT_EQ(0, std::memcmp(out, disk.indexEntry(0, 0), 64));
  EXPECT_EQ(outNumbers(), (std::vector<int>{5, 1, 3}));
  EXPECT_EQ(out[3 * 32], 0xEE);
  EXPECT_EQ(t.views.rowTexts(0), (std::vector<std::string>{"STRINGS", "BRASS", "PIANO"}));
  ASSERT_EQ(children().size(), 3u);                      // the placeholder went
  EXPECT_EQ(ctx.nodes[children()[0]].bankWord, 0x0201);  // bytes 18-19, high byte first
  EXPECT_EQ(ctx.nodes[device].blockFactor + blockFactor, 2);

  int nodes = ctx.nodes.count;
  EXPECT_EQ(list(0, 3200, 3, 150), 0u);
  EXPECT_EQ(outNumbers(), (std::vector<int>{5, 150, 3}));
  EXPECT_EQ(list(ctx.nodes[device].parent) + list(123456), 0u);  // no device node
  EXPECT_EQ(ctx.nodes.count, nodes);
}

// The count goes past "BB" sectors and counts only banks; the listing stops
// at the first, and a read failure keeps what was found.
TEST_F(ListBanksTest, BBSectorEndsTheListingButNotTheCountAndAFailedReadAnswers8000) {
  disk.putEntry(0, 0, "ONE", 1, 1, 10);
  disk.putEntry(0, 1, "TOO HIGH", 100, 1, 10);
  disk.markUnused(1);
  disk.putEntry(2, 0, "HIDDEN", 2, 2, 10);
  EXPECT_EQ(list(device), 0u);
  EXPECT_EQ(par2, 1u);
  EXPECT_EQ(reads, (Sectors{0, index, index + 1}));
  EXPECT_EQ(CountDiskBanks(ctx, reader()), 2u);
  failAt = index + 3;
  EXPECT_EQ(CountDiskBanks(ctx, reader()), 0u);

  failAt = index + 1;
  EXPECT_EQ(list(device), 0x8000u);
  EXPECT_EQ(par2, 1u);
  EXPECT_EQ(ctx.nodes[firstChild(ctx, device)].type, Bank);
}

// A hostile disk may claim more entries than the output area takes, or more
// index sectors than it holds.
TEST_F(ListBanksTest, NeverWritesPastTheOutputAreaAndVisitsOnlyTheIndexOnTheDisk) {
  for (std::uint32_t k = 0; k < 4; ++k) {
    for (int i = 0; i < 16; ++i)
      disk.putEntry(k, i, "X", i, 1, 10);
  }
  EXPECT_EQ(list(device, 3 * 32 + 31), 0u);
  EXPECT_EQ(par2 + children().size(), 3u + 3);
  EXPECT_EQ(out[3 * 32], 0xEE);
  disk.info.lastSector = index + 7;
  disk.info.bankIndexCount = 0xFFFFFFFF;
  disk.storeInfo();
  EXPECT_EQ(list(device), 0u);
  EXPECT_EQ(reads.size(), 1u + 8);
  disk.info.lastSector = 0xFFFFFFFF;
  disk.storeInfo();
  EXPECT_EQ(IndexSectorsToVisit(disk.sector(0)), kMaxListedIndexSectors);
}

}  // namespace
