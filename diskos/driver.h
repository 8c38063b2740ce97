#pragma once
// A storage driver and the table of registered drivers.
#include <cstdint>
#include <functional>

#include "core/tree.h"
#include "diskos/request.h"

struct Context;

// Every driver follows one dispatch rule: learn its slot from the first
// request, serve cg1 when it is one of its codes, else cg2, else report the
// request and answer 64. The two mask requests are answered here, from the
// masks the driver was made with.
class DiskOsDriver {
 public:
  virtual ~DiskOsDriver() = default;
  std::uint32_t handle(DiskOsRequest& request);
  int ownIndex() const { return ownIndex_; }

 protected:
  DiskOsDriver(Context& context, std::uint32_t servedCodes, std::uint32_t servedSubCodes)
      : ctx(context), servedCodes_(servedCodes), servedSubCodes_(servedSubCodes) {}
  // Called with a cg1 that is a single served code.
  virtual std::uint32_t serve(DiskOsRequest& request) = 0;
  // Called with a served cg2 when cg1 is not served.
  virtual std::uint32_t serveSub(DiskOsRequest& request) = 0;

  Context& ctx;

 private:
  std::uint32_t servedCodes_;
  std::uint32_t servedSubCodes_;
  int ownIndex_ = -1;
};

constexpr int kMaxDiskOses = 10;
constexpr int kDiskOsNameSize = 260;

struct DiskOsEntry {
  std::uint32_t codeMask;
  std::uint32_t subCodeMask;
  DiskOsDriver* handler;
  char name[kDiskOsNameSize];
};

struct DiskOsTable {
  DiskOsEntry entries[kMaxDiskOses] = {};
  int count = 0;
};

// Registers a driver in the next free slot; false when it declined or the table is full.
bool RegisterDiskOs(Context& ctx, DiskOsDriver& driver);
// Lets every registered driver scan for its devices, moving the progress bar
// a hundred per driver.
void ProbeDiskOses(Context& ctx);
// The dump of a request no driver serves: a message box, then the packet on
// the status display in two screens of five seconds each.
void ReportDiskOsError(Context& ctx, const DiskOsRequest& request);
// Sends a request to the driver in slot request.diskOs; 64 for an empty slot.
std::uint32_t SendDiskOs(Context& ctx, DiskOsRequest& request);
// Sets the driver's entry name (truncated to fit).
void SetDiskOsName(Context& ctx, int slot, const char* name);
// The Register step of a storage driver: its version text on row 3 of the
// display for a moment and in its table entry, then its node under the root
// (0 when the node table is full) carrying its slot.
int RegisterDriverNode(Context& ctx, int slot, const char* versionText, NodeType type,
                       const char* nodeText, bool canAddDevices);
// The Scan step: text on row 2 of the display for a moment, the scan, then
// the row cleared.
std::uint32_t RunScanStep(Context& ctx, const char* text, const std::function<void()>& scan);
