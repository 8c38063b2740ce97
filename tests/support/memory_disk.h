#pragma once
// A disk driver over an ESi disk image in memory, for tests of the bank
// operations. It reads, writes and lists like the real disk drivers, keeps a
// log of the sector transfers it was asked for, and fails its Nth read or
// write on demand.
#include <cstring>

#include "tests/support/esi_image.h"
#include "tests/support/fake_driver.h"
#include "tests/support/test_context.h"

// The sector transfers a test driver was asked for, and the one it fails.
struct TransferLog {
  struct Transfer {
    bool write;
    std::uint32_t sector;
  };
  std::vector<Transfer> transfers;
  int writes = 0;
  // Failure injection: 0 = never; n = the nth read (write) from now fails.
  int failReadAt = 0, failWriteAt = 0;

  // Logs a read or a write; true when it is the one to fail.
  bool logFails(const DiskOsRequest& r) {
    bool write = r.cg1 == WriteSectors;
    transfers.push_back(Transfer{write, static_cast<std::uint32_t>(r.par0)});
    writes += write;
    int& failAt = write ? failWriteAt : failReadAt;
    return failAt > 0 && --failAt == 0;
  }
};

// The fake driver's node and answers, with transfers on the image.
class MemoryDisk : public FakeDriver, public TransferLog {
 public:
  MemoryDisk(Context& ctx, std::vector<std::uint8_t>& image)
      : FakeDriver(ctx, "Memory disks", DiskOsNode,
                   Register | Scan | QueryReadOnly | ReadSectors | WriteSectors | CountBanks |
                       ListBanks | DeviceCount),
        image_(image) {}

 protected:
  std::uint32_t serve(DiskOsRequest& request) override;

 private:
  // Reads or writes the image; an error past its end.
  std::uint32_t copy(std::uint32_t first, std::uint32_t count, std::uint8_t* buffer,
                     bool write) const {
    std::uint64_t at = std::uint64_t{first} * 512, n = std::uint64_t{count} * 512;
    if (at + n > image_.size())
      return 0x02 | DiskOsTransferFailed;
    std::memcpy(write ? image_.data() + at : buffer, write ? buffer : image_.data() + at, n);
    return 0;
  }

  std::vector<std::uint8_t>& image_;
};

// The bank node of a number under a device node, 0 when it shows none.
int FindBank(const Context& ctx, int device, int number);
// Whatever a bank operation must not leave behind however it ended: the
// busy flag, an open file, the progress page, a disk that breaks the
// consistency rules. Empty when it ended cleanly.
std::string LeftOver(const TestContext& tc, const std::vector<std::uint8_t>& disk);

// A program context with one listed image of an ESi disk on a memory disk.
struct DiskScenario {
  explicit DiskScenario(const EsiLayout& layout = EsiLayout())
      : image(layout), driver(ctx, image.bytes) {
    tc.addRoot();
    RegisterDiskOs(ctx, driver);
    device = driver.addDevice(ImageFile, "Test disk");
    list();
  }
  // Lists the device anew, as after a refresh.
  void list() { listDevice(ctx, device, false); }
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
