#pragma once
// A program context with one of the image file drivers (CD images or hard
// disk images) and registered image files, over in-memory files or, for
// images of gigabytes, sparse files on disk. The driver can fail its Nth
// sector read or write the way a failing file does, and logs the transfers
// the operations asked for.
#include <type_traits>

#include "esifs/bank_transfer.h"
#include "media/cd_image_driver.h"
#include "media/disk_image_driver.h"
#include "tests/support/memory_disk.h"

template <class Driver>
class FaultyImageDriver : public Driver, public TransferLog {
 public:
  using Driver::Driver;

 protected:
  std::uint32_t serve(DiskOsRequest& r) override {
    auto* files = dynamic_cast<MemoryFiles*>(&this->ctx.files);  // real files do not fail
    bool fail = (r.cg1 == ReadSectors || r.cg1 == WriteSectors) && logFails(r) && files;
    if (fail)
      (r.cg1 == WriteSectors ? files->failWriteAt : files->failReadAt) = 1;
    std::uint32_t result = Driver::serve(r);
    if (fail)
      files->failWriteAt = files->failReadAt = 0;
    return result;
  }
};

template <class Driver, class TC = TestContext>
struct ImageScenario {
  static constexpr bool kCd = std::is_same_v<Driver, CdImageDriver>;
  static constexpr const char* kListKey = kCd ? "ISO" : "Disk images";

  // Registers the paths in the driver's list, as a previous run left it.
  explicit ImageScenario(const std::vector<std::string>& paths) {
    ctx.settingsKey = t.registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\0.10");
    RegKey list = t.registry.createKey(ctx.settingsKey, kListKey);
    for (std::size_t i = 0; i < paths.size(); ++i)
      t.registry.writeString(list, std::to_string(i + 1), paths[i]);
    t.registry.writeNumber(list, "Files", static_cast<std::uint32_t>(paths.size()));
    t.addRoot();
  }
  // Starts the driver as the program does and lists the first image shown.
  void start() {
    RegisterDiskOs(ctx, driver);
    ProbeDiskOses(ctx);
    device = deviceNode(0);
    if (device != 0)
      list();
  }
  std::vector<std::string> entries() {
    RegKey key = t.registry.createKey(ctx.settingsKey, kListKey);
    std::uint32_t count = 0;
    t.registry.readNumber(key, "Files", &count);
    std::vector<std::string> paths(count);
    for (std::uint32_t k = 0; k < count; ++k)
      t.registry.readString(key, std::to_string(k + 1), 260, &paths[k]);
    t.registry.closeKey(key);
    return paths;
  }
  // The tree node of the driver's device d, 0 when it has none.
  int deviceNode(int d) const {
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].type == ImageFile && ctx.nodes[i].device == d)
        return i;
    }
    return 0;
  }
  int bank(int number) const { return FindBank(ctx, device, number); }
  void list() { listDevice(ctx, device, false); }
  // As the commands start them: the bank file open, the program busy.
  void importBank(const std::string& file) { ImportBank(ctx, device, open(file, false)); }
  void exportBank(int number, const std::string& file) {
    open(file, true);
    ExportBank(ctx, bank(number));
  }
  const std::string& open(const std::string& file, bool create) {
    ctx.openFile = t.files.open(file, create ? FileOpen::CreateAlways : FileOpen::ReadExisting);
    ctx.busy = 1;
    return file;
  }
  const TreeNode& node(int index) const { return ctx.nodes[index]; }

  TC t;
  Context& ctx = t.ctx;
  FaultyImageDriver<Driver> driver{ctx};
  int device = 0;
};

using CdImageScenario = ImageScenario<CdImageDriver>;
using DiskImageScenario = ImageScenario<DiskImageDriver>;
using SparseDiskImageScenario = ImageScenario<DiskImageDriver, PosixContext>;
