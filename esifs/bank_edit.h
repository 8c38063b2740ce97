#pragma once
// Changing banks in place on an ESi disk: delete, rename, renumber, and what
// the Bank properties dialog shows.
#include <array>
#include <cstdint>
#include <string>

#include "esifs/bank_index.h"

struct Context;

// Worker entry of the Bank menu's Delete; the command has set the busy flag.
// The bank's Bank Index entries are cleared before its blocks are freed, so an
// interruption leaves at worst blocks that no entry refers to. The device is
// listed again at the end, which clears the busy flag.
void DeleteBank(Context& ctx, int bankNode);

// Runs on the calling thread. Writes the new name into the bank's first sector
// and into its Bank Index entries; on success the node takes the new name.
bool RenameBank(Context& ctx, int bankNode, const std::string& oldName, const std::string& newName);

// Runs on the calling thread. Gives the bank the new number, moving the banks
// in its way up by one, and lists the device again.
void RenumberBank(Context& ctx, int bankNode, int newNumber);

// Marks a number without a bank in a renumbering map.
constexpr std::uint8_t kNoBank = 200;
// map[n] is the number the bank numbered n receives, kNoBank where there is
// no bank. The moving bank takes newNumber; a bank holding it moves up by one,
// pushing the next one up in turn until a free number (the moving bank's old
// number counts as free); a bank pushed past 99 takes the lowest free number
// below.
std::array<std::uint8_t, kMaxBanks> RenumberMap(const bool present[kMaxBanks], int oldNumber,
                                                int newNumber);

// What the Bank properties dialog shows for the selected bank nodes: with one
// bank its name, number and size; with several only the sum of their sizes.
struct BankProperties {
  bool single = false;
  std::string name;
  std::string number;
  std::string size;
};
BankProperties DescribeBanks(const Context& ctx, const int* nodes, int count);
