#include "esifs/check_disk.h"

#include <cstdint>
#include <cstdio>
#include <map>

#include "core/context.h"
#include "esifs/bank_disk.h"
#include "esifs/bank_index.h"
#include "esifs/bat.h"
#include "esifs/chain.h"

namespace {

struct Checked {
  int number;
  std::string name;
};

}  // namespace

std::vector<DiskFinding> CheckDisk(Context& ctx, int deviceNode) {
  std::vector<DiskFinding> found;
  auto disk = [&found](const std::string& text) { found.push_back({-1, "", text, true}); };
  BankDisk d(ctx, deviceNode);
  std::string why;
  if (!d.found()) {
    disk("No ESi disk");
    return found;
  }
  if (!IsUsableEsiDisk(d.info(), &why) || !d.usable()) {
    disk("The disk's tables cannot be used: " + (why.empty() ? "block size" : why));
    return found;
  }
  const DiskInfo& info = d.info();
  std::vector<std::uint8_t> batBytes(kMaxBatSectors * 512);
  if (!d.readBat(batBytes.data())) {
    disk(kBatError);
    return found;
  }
  Bat bat(batBytes.data(), info.batCount);
  const std::uint32_t lastBlock = bat.lastBlock(info.blockCount);

  // Every entry in use holds a chain, listed or not: the operations count them all.
  std::vector<std::uint16_t> starts;
  std::vector<Checked> banks;
  std::map<std::uint32_t, std::size_t> owner;  // block -> index in banks
  std::map<int, int> numbers;
  std::uint8_t sector[512];
  for (std::uint32_t k = 0; k < info.bankIndexCount; ++k) {
    if (!d.readIndex(k, sector)) {
      disk("Error reading Bank Index Table");
      return found;
    }
    AddChainStarts(sector, &starts);
    for (int e = 0; e < kEntriesPerSector; ++e) {
      const std::uint8_t* entry = sector + e * kBankEntrySize;
      if (!IsEntryInUse(entry))
        continue;
      BankEntry b = DecodeBankEntry(entry);
      Checked bank{b.number, BankDisplayName(b.name)};
      auto bad = [&found, &bank](const std::string& text) {
        found.push_back({bank.number, bank.name, text, true});
      };
      if (!IsBankEntry(entry))
        bad("Bank Index entry in use with a number above 99");
      else if (++numbers[b.number] == 2)
        bad("More than one bank is numbered " + BankNumberText(b.number));
      ChainWalk walk = WalkChain(bat, b.firstBlock, info.blockCount);
      if (walk.status != ChainStatus::Ok)
        bad(std::string("Bank chain on disk is damaged: ") + ChainStatusText(walk.status));
      std::uint64_t covered = std::uint64_t{walk.blocks.size()} * d.blockSectors() * 512;
      if (walk.status == ChainStatus::Ok && covered < DecodeBankSize(b, d.blockSectors()))
        bad(kCutShort);
      for (std::uint16_t block : walk.blocks) {
        auto taken = owner.emplace(block, banks.size());
        if (!taken.second) {
          const Checked& other = banks[taken.first->second];
          bad("Shares blocks with " + BankNumberText(other.number) + " " + other.name);
          break;
        }
      }
      banks.push_back(bank);
    }
  }
  if (!ChainsAreSound(bat, info.blockCount, starts))
    disk(std::string(kDamagedTable) + ": import and delete refuse this disk");

  std::uint32_t lost = 0;
  for (std::uint32_t block = 1; block <= lastBlock; ++block) {
    if (bat.get(block) != kBatFree && owner.count(block) == 0)
      ++lost;
  }
  if (lost != 0) {
    found.push_back({-1, "",
                     std::to_string(lost) + " blocks in use belong to no bank (space lost, no "
                                            "bank harmed)",
                     false});
  }
  return found;
}
