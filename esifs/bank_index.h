#pragma once
// Bank Index entries (16 to a sector), bank sizes, display names, File Index
// Reference slots and bank numbers.
#include <cstdint>
#include <string>
#include <vector>

constexpr int kBankEntrySize = 32;
constexpr int kEntriesPerSector = 16;
constexpr int kMaxBanks = 100;
constexpr std::uint8_t kEntryInUse = 0x80;
constexpr std::uint8_t kNewEntryFlags = 0x81;

struct BankEntry {
  char name[16];  // as stored: padded with blanks, maybe a final "X"
  std::uint16_t number;
  std::uint16_t firstBlock;
  std::uint16_t blockField;
  std::uint16_t sectorField;
  std::uint16_t byteField;
  std::uint8_t flags;
};

BankEntry DecodeBankEntry(const std::uint8_t* entry);
// Writes a new entry: flags 0x81 and zeros in bytes 27-31 whatever entry.flags says.
void EncodeNewBankEntry(const BankEntry& entry, std::uint8_t* out);
// The entry import writes for a bank of the given size (flags 0x81).
BankEntry NewBankEntry(const char* name16, std::uint16_t number, std::uint16_t firstBlock,
                       std::uint32_t bytes, std::uint32_t blockSectors);
// Index 0..15 of the first entry of the sector whose in-use bit is clear; -1 if none.
int FirstFreeEntry(const std::uint8_t* sector);
// Appends the first block of every entry in use in the sector.
void AddChainStarts(const std::uint8_t* sector, std::vector<std::uint16_t>* firstBlocks);
// In use and numbered below 100.
bool IsBankEntry(const std::uint8_t* entry);
bool IsEntryInUse(const std::uint8_t* entry);
std::uint16_t EntryNumber(const std::uint8_t* entry);
void SetEntryNumber(std::uint8_t* entry, std::uint16_t number);
// Bytes 16-17 "BB": listing stops here.
bool EndsBankListing(const std::uint8_t* sector);
// Bytes 0-1 "BB" and no entry in use: import takes it into use and clears it.
// "BB" alone is also what a sector looks like whose first bank is named
// "BB...", and clearing that would lose every bank in it.
bool IsUnusedIndexSector(const std::uint8_t* sector);

// Size in bytes from the three size fields (32-bit, wrapping).
std::uint32_t DecodeBankSize(const BankEntry& entry, std::uint32_t blockSectors);
// Sets the three size fields for a bank of the given size. The fields fit in
// 16 bits for every 32-bit size when blockSectors is at least 128.
void EncodeBankSize(std::uint32_t bytes, std::uint32_t blockSectors, BankEntry* entry);
// 16 name bytes without a final "X" and trailing blanks.
std::string BankDisplayName(const char* name16);
// A name the user typed for a bank, as it is shown once stored: cut to 16
// characters without trailing blanks, and a final "X" in the 16th place
// dropped, since it would read as the marker that is not part of the name.
std::string TypedBankName(const std::string& typed);

// Where the File Index Reference slot of Bank Index sector k lies.
struct FirSlot {
  std::uint32_t sector;  // relative to firSector
  std::uint32_t offset;  // byte offset in that sector
};
FirSlot FirSlotOf(std::uint32_t indexSector);
// Stores in the FIR sector that holds it the slot of Bank Index sector k: the
// disk sector number bankIndexSector + k, cut to 16 bits.
void WriteFirSlot(std::uint8_t* firSectorBytes, std::uint32_t indexSector,
                  std::uint32_t bankIndexSector);

// The lowest number 0..99 not in use (used[n] true when taken); -1 when all are.
int LowestFreeBankNumber(const bool used[kMaxBanks]);
