#pragma once
// A read-only consistency check of an ESi disk: what the bank operations
// would find wrong with its tables, bank by bank. Nothing is written.
#include <string>
#include <vector>

struct Context;

struct DiskFinding {
  int number;        // the bank's number; -1 for the disk as a whole
  std::string name;  // the bank's name, empty for the disk
  std::string text;
  // False for what harms no bank: blocks in use that no bank refers to, as
  // an interrupted import or delete leaves them.
  bool damage;
};

// Checks the disk below deviceNode, a listed device: its tables lie where
// they can be used, every bank's chain is sound, covers the bank's size and
// shares no block with another, no two banks share a number, and the
// writing operations would accept the disk.
std::vector<DiskFinding> CheckDisk(Context& ctx, int deviceNode);
