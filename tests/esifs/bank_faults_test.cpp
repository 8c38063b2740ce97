// Every read and every write that a bank operation makes is failed in turn:
// the operation must give the message of what failed, end cleanly, and leave
// a consistent disk. On the memory disk, and on a disk image file whose file
// fails underneath the disk image driver.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "esifs/bank_builder.h"
#include "esifs/bank_disk.h"
#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "tests/support/disk_check.h"
#include "tests/support/disk_image_scenario.h"
#include "tests/support/memory_disk.h"
#include "tests/support/wav_bytes.h"

namespace {

const char kFile[] = "C:\\Work\\import.e3x";
const char kWavFile[] = "C:\\Work\\sample.wav";
const char kImage[] = "C:\\Cards\\HD0.img";

enum Op { Import, Delete, Rename, Renumber, NewBank };
enum Area { BatArea, IndexArea, FirArea, DataArea };
const char* const kOpNames[] = {"import", "delete", "rename", "renumber", "new_bank"};

// The message each operation gives when a read or a write of an area fails;
// null where the operation makes no such transfer.
constexpr const char* kIndexRead = "Error reading Bank Index Table";
constexpr const char* kIndexWrite = "Error writing Bank Index";
const char* const kMessages[4][4][2] = {
    {{kBatError, kBatError},
     {"Error reading Bank Index", "Error updating Bank Index"},
     {"Error reading File Index Reference", "Error updating File Index Reference"},
     {nullptr, "Error writing bank"}},
    {{kBatError, kBatError}, {kIndexRead, kIndexWrite}, {}, {}},
    {{}, {kIndexRead, kIndexWrite}, {}, {"Error reading Bank", "Error writing Bank"}},
    {{}, {kIndexRead, kIndexWrite}, {}, {}},
};

Area areaOf(const DiskInfo& d, std::uint32_t sector) {
  const std::uint32_t first[] = {d.batSector, d.bankIndexSector, d.firSector};
  const std::uint32_t count[] = {d.batCount, d.bankIndexCount, FirSlotSectors(d)};
  int a = BatArea;
  while (a != DataArea && !(sector >= first[a] && sector - first[a] < count[a]))
    ++a;
  return static_cast<Area>(a);
}

// Sixteen banks fill the first Bank Index sector, so an import takes the
// next one into use and writes its File Index Reference slot. Bank 3 spans
// three blocks. The only free blocks are 255 and up, so the imported bank's
// chain spans both sectors of the BAT and a half-written table shows.
const EsiImage& theImage() {
  static const EsiImage image = [] {
    EsiImage image(EsiLayout{1, 260, 2, 3, 1});
    for (int n = 0; n < 16; ++n) {
      std::string name = "BANK " + std::to_string(n);
      image.addBank(n, name, MakeBankData(n == 3 ? 150000 : 2000, name, n));
    }
    image.fillBlocks(6);
    return image;
  }();
  return image;
}

// The same disk in an image file of the disk image driver, with the members
// of the memory disk's scenario that the test uses.
struct ImageFileDisk : DiskImageScenario {
  ImageFileDisk() : DiskImageScenario({kImage}) {
    image.bytes = theImage().bytes;
    start();
  }
  std::string leftOver() const {
    // The image itself stays open.
    bool open = ctx.openFile != kNoFile || t.files.openCount() != 1;
    return std::string(ctx.busy ? "busy; " : "") + (open ? "open file; " : "") +
           (ctx.lcd.LcdCurrentPage() != 0 ? "progress page; " : "") +
           CheckDiskConsistency(image.bytes);
  }
  struct {
    std::vector<std::uint8_t>& bytes;
  } image{t.files.data(kImage)};
  TestContext& tc = t;
};

template <class S>
std::unique_ptr<S> makeDisk() {
  auto s = std::make_unique<S>();
  if constexpr (std::is_same_v<S, DiskScenario>) {
    s->image = theImage();
    s->list();
  }
  s->tc.files.data(kFile) = MakeBankFile(MakeBankData(100000, "IMPORTED", 99));
  s->tc.files.data(kWavFile) = RiffFile(1, {{"data", std::vector<std::uint8_t>(100000, 7)}});
  return s;
}

template <class S>
void run(Op op, S& s) {
  Context& ctx = s.ctx;
  switch (op) {
    case Import:
      ctx.openFile = s.tc.files.open(kFile, FileOpen::ReadExisting);
      ctx.busy = 1;
      ImportBank(ctx, s.device, kFile);
      break;
    case Delete:
      ctx.busy = 1;
      DeleteBank(ctx, s.bank(3));
      break;
    case Rename:
      RenameBank(ctx, s.bank(3), "BANK 3", "RENAMED");
      break;
    case Renumber:
      RenumberBank(ctx, s.bank(3), 0);
      break;
    case NewBank: {
      BankPlan plan;
      std::string why;
      PlanBank(ctx.files, {kWavFile}, "NEW", &plan, &why);
      ctx.busy = 1;
      ImportNewBank(ctx, s.device, plan);
      break;
    }
  }
}

template <class S>
void checkEveryFault(Op op) {
  auto clean = makeDisk<S>();
  run(op, *clean);
  ASSERT_TRUE(clean->tc.host.messages.empty()) << clean->tc.host.messages[0];
  EXPECT_EQ(clean->leftOver(), "");
  auto log = clean->driver.transfers;
  ASSERT_FALSE(log.empty());

  // Transfers before the first write to a table change no table when they fail.
  std::size_t firstTableWrite = 0;
  while (firstTableWrite < log.size() &&
         !(log[firstTableWrite].write &&
           areaOf(theImage().info, log[firstTableWrite].sector) != DataArea))
    ++firstTableWrite;

  for (bool write : {false, true}) {
    int n = 0;
    for (std::size_t i = 0; i < log.size(); ++i) {
      const auto& t = log[i];
      if (t.write != write)
        continue;
      ++n;
      auto s = makeDisk<S>();
      const DiskInfo& d = theImage().info;
      const std::vector<std::uint8_t>& before = theImage().bytes;
      (write ? s->driver.failWriteAt : s->driver.failReadAt) = n;
      SCOPED_TRACE(std::string(kOpNames[op]) + (write ? " write " : " read ") + std::to_string(n) +
                   " at sector " + std::to_string(t.sector));
      run(op, *s);
      Area area = areaOf(d, t.sector);
      // A new bank goes through import, with its messages.
      const char* message = kMessages[op == NewBank ? Import : op][area][write];
      ASSERT_NE(message, nullptr) << "no such transfer expected";
      EXPECT_EQ(s->tc.host.messages, std::vector<std::string>{message});
      EXPECT_EQ(s->leftOver(), "");
      auto same = [&](std::uint32_t first, std::uint32_t sectors) {
        return 0 == std::memcmp(&before[first * 512], &s->image.bytes[first * 512], sectors * 512);
      };
      EXPECT_TRUE(i >= firstTableWrite || same(0, d.dataSector)) << "a table changed";
      // Only a failing File Index Reference still lets the entry be written.
      EXPECT_TRUE((op != Import && op != NewBank) || (s->bank(16) != 0) == (area == FirArea));
      // A File Index Reference sector that could not be read is not written.
      EXPECT_TRUE(area != FirArea || write || same(d.firSector, 1));
      EXPECT_TRUE(op != Rename || s->node(s->bank(3)).name == std::string("BANK 3"));
    }
    EXPECT_GT(n, 0);
  }
}

class BankFaults : public ::testing::TestWithParam<std::tuple<Op, bool>> {};

TEST_P(BankFaults, EveryFailedTransferGivesItsMessageAndLeavesTheDiskConsistent) {
  auto [op, imageFile] = GetParam();
  if (imageFile)
    checkEveryFault<ImageFileDisk>(op);
  else
    checkEveryFault<DiskScenario>(op);
}

INSTANTIATE_TEST_SUITE_P(Operations, BankFaults,
                         ::testing::Combine(::testing::Values(Import, Delete, Rename, Renumber,
                                                              NewBank),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<Op, bool>>& info) {
                           return std::string(kOpNames[std::get<0>(info.param)]) +
                                  (std::get<1>(info.param) ? "_image_file" : "_memory_disk");
                         });

}  // namespace
