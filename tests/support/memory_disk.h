#pragma once
// A disk driver over an ESi disk image in memory, for tests of the bank
// operations. It reads, writes and lists like the real disk drivers, keeps a
// log of the sector transfers it was asked for, and fails its Nth read or
// write on demand.
#include <cstdint>
#include <string>
#include <vector>

#include "core/context.h"
#include "diskos/driver.h"
#include "tests/support/esi_image.h"
#include "tests/support/test_context.h"

class MemoryDisk : public DiskOsDriver {
 public:
  struct Transfer {
    bool write;
    std::uint32_t sector;
    std::uint32_t count;
    int progressEnd;  // of the status display when the request came
  };

  MemoryDisk(Context& ctx, std::vector<std::uint8_t>& image);

  // Adds the image as a device under the driver's node, with a placeholder.
  int addDevice(int type, const char* name);

  std::vector<Transfer> transfers;
  int reads = 0;
  int writes = 0;
  // Failure injection: 0 = never; n = the nth read (write) from now fails.
  int failReadAt = 0;
  int failWriteAt = 0;
  int node = 0;

 protected:
  std::uint32_t serve(DiskOsRequest& request) override;
  std::uint32_t serveSub(DiskOsRequest& request) override;

 private:
  // Reads or writes the image; an error past its end.
  std::uint32_t copy(std::uint32_t first, std::uint32_t count, std::uint8_t* buffer,
                     bool write) const;

  std::vector<std::uint8_t>& image_;
  int devices_ = 0;
};

// The bank node of a number under a device node, 0 when it shows none.
int FindBank(const Context& ctx, int device, int number);
// Whatever a bank operation must not leave behind however it ended: the
// busy flag, an open file, the progress page, a disk that breaks the
// consistency rules. Empty when it ended cleanly.
std::string LeftOver(const TestContext& tc, const std::vector<std::uint8_t>& disk);

// A program context with one listed image of an ESi disk on a memory disk.
struct DiskScenario {
  explicit DiskScenario(const EsiLayout& layout = EsiLayout());
  // Lists the device anew, as after a refresh.
  void list();
  // The bank node of a number, 0 when the device shows none.
  int bank(int number) const { return FindBank(ctx, device, number); }
  std::vector<int> bankNumbers() const;
  const TreeNode& node(int index) const { return tc.ctx.nodes[index]; }
  std::string leftOver() const { return LeftOver(tc, image.bytes); }

  TestContext tc;
  Context& ctx = tc.ctx;
  EsiImage image;
  MemoryDisk driver;
  int device = 0;
};
