// Runs a few bank operations through the CD image driver over a damaged disk
// and bank file, and judges each by its own reading of the image: only the
// sectors and Bank Index bytes the operation owns change; a success leaves a
// sound disk sound; import and delete refuse an unsound one; an imported bank
// exports as its file. Input: flags, patch count, 4-byte patches to a built
// disk, 2-byte operations, a 20-bit bank file length, the file's bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "media/cd_image_driver.h"
#include "media/image_file.h"
#include "tests/support/disk_check.h"
#include "tests/support/esi_image.h"
#include "tests/support/test_context.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const char* kImage = "C:\\fuzz.iso";
const char* kBankFile = "C:\\Work\\bank.e3x";
const char* kExported = "C:\\Work\\out.e3x";
enum Op { Import, ImportEmpty, Export, Delete, Rename, Renumber };
const char* const kOpNames[] = {"import", "empty-bank import", "export", "delete",
                                "rename", "renumber"};
constexpr std::uint64_t kMostSectors = 8192;  // keeps every input fast

[[noreturn]] void fail(Op op, const std::string& what) {
  std::fprintf(stderr, "fuzz_bank_operations: %s: %s\n", kOpNames[op], what.c_str());
  std::abort();
}

std::uint32_t le(const Bytes& b, std::uint64_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i)
    v = v << 8 | (at + i < b.size() ? b[at + i] : 0);
  return v;
}

// The table positions, read from sector 0 without the product's decoder.
struct Layout {
  std::uint64_t last, fir, index, indexCount, bat, batCount, data, blocks, blockSectors;
};
Layout layoutOf(const Bytes& b) {
  std::uint32_t code = le(b, 0x28, 1);
  return Layout{le(b, 0x04, 4), le(b, 0x08, 4), le(b, 0x10, 4),
                le(b, 0x14, 4), le(b, 0x18, 4), le(b, 0x1C, 4),
                le(b, 0x20, 4), le(b, 0x24, 4), code >= 1 && code <= 8 ? 128u << (code - 1) : 0};
}
bool in(std::uint64_t s, std::uint64_t first, std::uint64_t count) {
  return s >= first && s - first < count;
}

// Bank Index entries: rename changes only names, renumber only numbers, delete
// only takes entries out of use (in use, only those of the bank's number),
// import writes only entries not in use. Answers how many came into use.
int checkEntries(Op op, int number, const std::uint8_t* was, const std::uint8_t* now) {
  int added = 0;
  for (int e = 0; e < 16; ++e) {
    const std::uint8_t *x = was + e * 32, *y = now + e * 32;
    bool wasUsed = x[26] & 0x80, isUsed = y[26] & 0x80;
    added += isUsed - wasUsed;
    for (int i = 0; i < 32; ++i) {
      bool owned = op == Rename     ? i < 16
                   : op == Renumber ? i == 16 || i == 17
                   : op == Delete   ? (i == 26 || i == 27) && !isUsed &&
                                        (!wasUsed || (x[16] << 8 | x[17]) == number)
                                  : !wasUsed;
      if (x[i] != y[i] && !owned)
        fail(op, "changed byte " + std::to_string(i) + " of Bank Index entry " + std::to_string(e));
    }
  }
  return added;
}

// Every sector that changed (past the old end: to anything but zeros) must be
// one the operation owns: import the BAT, blocks free before, one Bank Index
// and one File Index Reference sector; delete the BAT and the Bank Index;
// rename the bank's first sector and the Bank Index; renumber the Bank Index.
void checkWrites(Op op, bool ok, const Bytes& before, const Bytes& after, int number,
                 std::uint64_t renamed) {
  if (after.size() < before.size() || after.size() % kCdSectorSize != 0)
    fail(op, "image length " + std::to_string(after.size()));
  Layout l = layoutOf(before);
  bool importing = op == Import || op == ImportEmpty;
  int indexSectors = 0, firSectors = 0, added = 0;
  static const std::uint8_t zeros[512] = {};
  for (std::uint64_t s = 0; s < after.size() / 512; ++s) {
    const std::uint8_t* was = s < before.size() / 512 ? &before[s * 512] : zeros;
    if (std::memcmp(&after[s * 512], was, 512) == 0 ||
        ((importing || op == Delete) && in(s, l.bat, l.batCount)))
      continue;
    std::uint64_t block = l.blockSectors && s >= l.data ? (s - l.data) / l.blockSectors + 1 : 0;
    bool wasFree = block >= 1 && block <= l.blocks && block < l.batCount * 256 &&
                   le(before, l.bat * 512 + 2 * block, 2) == 0;
    if (op != Export && in(s, l.index, l.indexCount)) {
      ++indexSectors;
      added += checkEntries(op, number, was, &after[s * 512]);
    } else if (importing && in(s, l.fir, (18 + 2 * l.indexCount + 511) / 512)) {
      ++firSectors;
    } else if (!(importing && wasFree) &&
               !(op == Rename && renamed && s == l.data + (renamed - 1) * l.blockSectors)) {
      fail(op, "wrote sector " + std::to_string(s) + ", which it does not own");
    }
  }
  if (importing && (indexSectors > 1 || firSectors > 1 || added != ok))
    fail(op, "wrote " + std::to_string(indexSectors) + " index sectors, " + std::to_string(added) +
                 " new entries");
}

// The disk check reads zeros for sectors of the disk past the end of the file.
std::string consistency(Bytes image) {
  Layout l = layoutOf(image);
  std::uint64_t end = std::min(kMostSectors, std::max(l.bat + l.batCount, l.index + l.indexCount));
  image.resize(std::max<std::uint64_t>(image.size(), end * 512));
  return CheckDiskConsistency(image);
}

Bytes baseImage(bool empty) {
  EsiLayout layout;
  layout.blockCount = 12;
  EsiImage image(layout);
  if (empty) {
    image.markUnused(0);
  } else {
    image.addBank(0, "PIANO", MakeBankData(1000, "PIANO", 0));
    image.addBank(1, "BBC BRASS", MakeBankData(70000, "BBC BRASS", 1));  // blocks 2, 3
    image.addBank(3, "STRINGS", MakeBankData(20000, "STRINGS", 3));
  }
  // The file ends after the last block in use: the rest of the disk reads as zeros.
  return image.file((image.blockStart(empty ? 1 : 5) + 3) / 4 * 4);
}

// Patches a BAT entry, a Bank Index entry (its name to "BB", its first block or
// any byte) or marks a sector unused, a field of sector 0, or any byte of the
// first eight sectors.
void patch(Bytes& image, std::uint8_t what, std::uint8_t i, std::uint8_t lo, std::uint8_t hi) {
  static const int kFields[] = {0x04, 0x08, 0x10, 0x14, 0x18, 0x1C, 0x20, 0x24, 0x28};
  std::uint8_t* sector = &image[(3 + i % 48 / 16) * 512];  // where EsiImage puts the index
  std::uint16_t value = static_cast<std::uint16_t>(hi == 1 ? 0x7FFF : lo | hi << 8);
  if (what % 4 == 0) {
    putLe16(&image[2 * 512 + 2 * i], value);
  } else if (what % 4 == 1 && hi % 4 == 0) {
    std::memset(lo & 1 ? sector : sector + i % 16 * 32, 'B', lo & 1 ? 512 : 2);
  } else if (what % 4 == 1 && hi % 4 == 1) {
    putLe16(sector + i % 16 * 32 + 18, lo == 0xFF ? 0x7FFF : lo);  // the first block
  } else if (what % 4 == 1) {
    sector[i % 16 * 32 + (hi >> 2 & 31)] = lo;
  } else if (what % 4 == 2) {
    putLe32(&image[kFields[i % 9]], i % 9 == 8 ? lo | hi << 8 : value);
    if (i & 0x80)
      putLe32(&image[4], kCdCapacitySectors - 128 + lo);  // clamped when opened
  } else {
    image[(i | (hi & 15) << 8) % (8 * 512)] = lo;
  }
}

int run(TestContext& t, const std::uint8_t* data, std::size_t size) {
  auto next = [&]() -> std::uint8_t { return size ? (--size, *data++) : 0; };
  static const Bytes bases[2] = {baseImage(false), baseImage(true)};
  std::uint8_t flags = next();
  Bytes& image = t.files.data(kImage) = bases[flags & 1];
  for (int n = next() % 9; n > 0; --n) {
    std::uint8_t what = next(), i = next(), lo = next();
    patch(image, what, i, lo, next());
  }
  StoreChecksum(image.data(), flags & 2 ? DiskInfoChecksumGapped(image.data())
                                        : DiskInfoChecksumV2(image.data()));
  Layout l = layoutOf(image);
  if (std::max({l.data + l.blocks * l.blockSectors, l.bat + l.batCount, l.index + l.indexCount,
                l.fir + 17}) > kMostSectors &&
      l.last >= kMostSectors)
    return -1;
  Bytes ops;
  for (int n = 2 * (1 + (flags >> 2) % 4); n > 0; --n)
    ops.push_back(next());
  std::uint32_t length = 0;
  for (int n = 0; n < 3; ++n)
    length = (length << 8 | next()) % (1u << 20);
  Bytes& bankFile = t.files.data(kBankFile) =
      Bytes(data, data + std::min<std::size_t>(size, length));
  bankFile.resize(length);

  Context& ctx = t.ctx;
  ctx.settingsKey = t.registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\0.10");
  t.addRoot();
  CdImageDriver driver(ctx);
  RegisterDiskOs(ctx, driver);
  driver.AddImageFile(kImage);
  if (driver.deviceCount() != 1)
    return 0;
  int device = driver.device(0).node;
  ctx.nodes.selectedNode = device;
  showNodeInList(ctx, device);

  for (std::size_t k = 0; k < ops.size(); k += 2) {
    Op op = static_cast<Op>(ops[k] % 6);
    std::vector<int> banks;
    bool shown[kMaxBanks] = {};
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].parent == device && ctx.nodes[i].type == Bank) {
        banks.push_back(i);
        shown[ctx.nodes[i].number] = true;
      }
    }
    int bank = banks.empty() ? 0 : banks[ops[k + 1] % banks.size()];
    if (bank == 0 && op != Import && op != ImportEmpty)
      continue;
    static Bytes before;  // keeps its storage from one operation to the next
    before = t.files.data(kImage);
    t.host.messages.clear();
    bool ok = true;
    std::uint64_t renamed = op == Rename ? swap16(ctx.nodes[bank].bankWord) : 0;
    std::uint32_t bankSize = bank ? ctx.nodes[bank].size : 0;
    int number = bank ? ctx.nodes[bank].number : -1;
    ctx.busy = op == Import || op == Export || op == Delete;  // as their commands set it
    if (op == Import) {
      ctx.openFile = t.files.open(kBankFile, FileOpen::ReadExisting);
      ImportBank(ctx, device, kBankFile);
    } else if (op == ImportEmpty) {
      ImportEmptyBank(ctx, device);
    } else if (op == Export) {
      ctx.openFile = t.files.open(kExported, FileOpen::CreateAlways);
      ExportBank(ctx, bank);
    } else if (op == Delete) {
      DeleteBank(ctx, bank);
    } else if (op == Rename) {
      ok = RenameBank(ctx, bank, ctx.nodes[bank].name, ops[k + 1] & 1 ? "BBQ KIT" : "HARP");
    } else {
      RenumberBank(ctx, bank, ops[k + 1] % kMaxBanks);
    }
    ok = ok && t.host.messages.empty();
    const Bytes& after = t.files.data(kImage);
    if (ctx.busy || t.files.openCount() != 1)
      fail(op, "left the busy flag set or a file open");
    if (op == Export && ok && t.files.data(kExported).size() != bankSize)
      fail(op, "a short file passed for the whole bank");
    checkWrites(op, ok, before, after, number, renamed);
    if (!ok)
      continue;
    std::string was = consistency(before), now = consistency(after);
    if (!was.empty() && (op == Import || op == ImportEmpty || op == Delete))
      fail(op, "reported success on a damaged disk (" + was + ")");
    if (was.empty() && !now.empty())
      fail(op, "left the disk damaged: " + now);
    for (int i = 1; op == Import && i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].parent != device || ctx.nodes[i].type != Bank || shown[ctx.nodes[i].number])
        continue;
      ctx.openFile = t.files.open(kExported, FileOpen::CreateAlways);
      ctx.busy = 1;
      ExportBank(ctx, i);
      // An export shows the bank name at bytes 16-31; the rest comes back as it went in.
      Bytes out = t.files.data(kExported);
      for (std::size_t at = 16; at < 32 && at < std::min<std::size_t>(out.size(), length); ++at)
        out[at] = bankFile[at];
      if (t.host.messages.empty() && out != bankFile)
        fail(op, "the bank exports other than the file imported");
    }
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One context for the whole run, emptied before and after each input.
  static TestContext* t = new TestContext;
  t->reset();
  int result = run(*t, data, size);
  t->reset();
  return result;
}
