// Feeds arbitrary bytes, read as a disk information sector, Bank Index
// sectors and a Bank Allocation Table, through the disk table decoders, the
// disk check and the chain walker, builder and freer, and checks that what
// they promise holds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_file.h"
#include "esifs/bank_index.h"
#include "esifs/bat.h"
#include "esifs/chain.h"
#include "esifs/disk_info.h"

namespace {

void require(bool ok) {
  if (!ok)
    __builtin_trap();
}

// Takes the next n bytes of the input, zero-filled past its end.
std::vector<std::uint8_t> take(const std::uint8_t*& data, std::size_t& size, std::size_t n) {
  std::vector<std::uint8_t> out(n);
  std::size_t k = size < n ? size : n;
  if (k)
    std::memcpy(out.data(), data, k);
  data += k;
  size -= k;
  return out;
}

void checkChain(const ChainWalk& w, const Bat& bat, std::uint32_t blockCount) {
  std::vector<bool> seen(bat.lastBlock(blockCount) + 1);
  for (std::uint16_t b : w.blocks) {
    require(b >= 1 && b <= bat.lastBlock(blockCount));
    require(!seen[b]);
    seen[b] = true;
    require(bat.get(b) != kBatFree);
  }
}

void checkSector0(const std::vector<std::uint8_t>& s0) {
  IsEsiDiskInfo(s0.data());
  std::vector<std::uint8_t> copy = s0;
  ConvertToV2Checksum(copy.data());
  require(std::memcmp(copy.data(), s0.data(), 510) == 0);
  require(IsV2Compatible(copy.data()) == IsEsiDiskInfo(copy.data()));
}

void checkEntry(const std::uint8_t* raw, std::uint32_t blockSectors) {
  BankEntry e = DecodeBankEntry(raw);
  require(IsBankEntry(raw) == (IsEntryInUse(raw) && EntryNumber(raw) < kMaxBanks));
  require(BankDisplayName(e.name).size() <= 16);
  std::uint32_t size = DecodeBankSize(e, blockSectors);
  BankEntry again = NewBankEntry(e.name, e.number, e.firstBlock, size, blockSectors);
  require(DecodeBankSize(again, blockSectors) == size);
  std::uint8_t out[kBankEntrySize];
  EncodeNewBankEntry(again, out);
  require(IsEntryInUse(out) && EntryNumber(out) == e.number);
}

void checkChains(const std::vector<std::uint8_t>& table, std::uint32_t batSectors,
                 std::uint32_t blockCount, std::uint16_t firstBlock, std::uint32_t size,
                 std::uint32_t blockSectors) {
  std::vector<std::uint8_t> bytes = table;
  Bat bat(bytes.data(), batSectors);
  ChainWalk whole = WalkChain(bat, firstBlock, blockCount);
  checkChain(whole, bat, blockCount);
  ChainWalk read = WalkChain(bat, firstBlock, blockCount, BlocksToCover(size, blockSectors));
  checkChain(read, bat, blockCount);
  require(read.blocks.size() <= whole.blocks.size());

  std::uint32_t freed = 0;
  FreeChain(bat, firstBlock, blockCount, &freed);
  require(freed == whole.blocks.size());
  std::vector<bool> inChain(bytes.size() / 2);
  for (std::uint16_t b : whole.blocks)
    inChain[b] = true;
  for (std::uint32_t b = 0; b < inChain.size(); ++b)
    require(getLe16(&bytes[2 * b]) == (inChain[b] ? kBatFree : getLe16(&table[2 * b])));

  // Build an import's chain in what is left; a short disk ends it early.
  std::vector<std::uint8_t> before = bytes;
  ChainBuilder builder(bat, blockCount);
  std::uint32_t want = ImportBlocksNeeded(size, blockSectors);
  if (want > 64)
    want = 64;
  bool ok = builder.start() != 0;
  for (std::uint32_t n = 1; ok && n < want; ++n)
    ok = builder.extend() != 0;
  if (!builder.blocks().empty()) {
    ChainWalk built = WalkChain(bat, builder.first(), blockCount);
    require(built.status == ChainStatus::Ok);
    require(built.blocks == builder.blocks());
    for (std::size_t i = 1; i < built.blocks.size(); ++i)
      require(built.blocks[i] > built.blocks[i - 1]);
  }
  builder.abandon();
  require(bytes == before);
}

void checkBankFile(const std::uint8_t* data, std::size_t size) {
  std::uint32_t n = static_cast<std::uint32_t>(size < kBankChunkSize ? size : kBankChunkSize);
  std::uint32_t offset = n ? data[0] * kBankChunkSize : 0;
  std::vector<std::uint8_t> chunk(data, data + n);
  bool restorable = PrepareExportChunk(chunk.data(), n, offset);
  RestoreImportChunk(chunk.data(), n, offset);
  if (n && restorable && !(offset == 0 && n >= kBankNamePeekSize && BeginsWithEmu(data, n)))
    require(std::memcmp(chunk.data(), data, n) == 0);
  char name[kBankNameLength];
  BankFileName(data, n, std::string(reinterpret_cast<const char*>(data), n < 40 ? n : 40), name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  checkBankFile(data, size);

  std::vector<std::uint8_t> s0 = take(data, size, 512);
  checkSector0(s0);
  DiskInfo d = ReadDiskInfo(s0.data());
  bool usable = IsUsableEsiDisk(d);
  std::uint32_t blockSectors = usable ? BlockSectors(d) : 128;
  if (usable) {
    require(blockSectors >= 128);
    require(FirSlotSectors(d) >= 1);
    FirSlot last = FirSlotOf(d.bankIndexCount - 1);
    require(last.sector < FirSlotSectors(d) && last.offset <= 510);
    require(FirstSectorOfBlock(d, d.blockCount ? d.blockCount : 1) <= d.lastSector ||
            d.blockCount == 0);
  }

  // At most four index sectors from the input, then the table.
  std::uint32_t indexSectors = d.bankIndexCount < 4 ? d.bankIndexCount : 4;
  std::vector<std::uint8_t> index = take(data, size, indexSectors * 512);
  std::uint32_t batSectors = d.batCount < kMaxBatSectors ? d.batCount : kMaxBatSectors;
  if (batSectors == 0)
    batSectors = 1;
  std::vector<std::uint8_t> table = take(data, size, batSectors * 512);
  {
    Bat bat(table.data(), batSectors);
    std::uint32_t free = bat.BatCountFree(d.blockCount);
    std::uint32_t first = bat.BatFindFree(1, d.blockCount);
    require((free == 0) == (first == 0));
    require(first == 0 || bat.get(first) == kBatFree);
  }

  for (std::uint32_t k = 0; k < indexSectors; ++k) {
    const std::uint8_t* sector = &index[k * 512];
    EndsBankListing(sector);
    IsUnusedIndexSector(sector);
    int freeEntry = FirstFreeEntry(sector);
    require(freeEntry >= -1 && freeEntry < kEntriesPerSector);
    for (int i = 0; i < kEntriesPerSector; ++i) {
      const std::uint8_t* raw = sector + i * kBankEntrySize;
      checkEntry(raw, blockSectors);
      if (!IsEntryInUse(raw))
        continue;  // the program walks only the chains of entries in use
      BankEntry e = DecodeBankEntry(raw);
      checkChains(table, batSectors, d.blockCount, e.firstBlock, DecodeBankSize(e, blockSectors),
                  blockSectors);
    }
  }
  return 0;
}
