#pragma once
// A configurable storage driver for tests: answers Register and Scan like the
// real drivers, lists the banks it is given, and records every request.
#include <cstdint>
#include <string>
#include <vector>

#include "core/context.h"
#include "diskos/driver.h"

class FakeDriver : public DiskOsDriver {
 public:
  struct FakeBank {
    int number;
    std::string name;
    std::uint32_t size;
  };

  FakeDriver(Context& ctx, std::string nodeName, int nodeType = DiskOsNode,
             std::uint32_t served = Register | Scan | QueryReadOnly | ListBanks | ReadSectors |
                                    DeviceCount)
      : DiskOsDriver(ctx, served, GetCodeMask | GetSubCodeMask | AddDevice),
        nodeName_(std::move(nodeName)),
        nodeType_(nodeType) {}

  // Adds a device node under the driver's node, with a placeholder.
  int addDevice(int type, const char* name) {
    int n = addNode(ctx, node, type, name);
    ctx.nodes[n].diskOs = ownIndex();
    ctx.nodes[n].device = devices++;
    addPlaceholder(ctx, n);
    return n;
  }

  std::vector<DiskOsRequest> requests;
  std::vector<FakeBank> banks;  // listed for every device
  std::uint32_t registerResult = 0, scanResult = 0, readOnly = 0;
  bool esiDisk = true;  // sector 0 reads as an ESi disk
  int node = 0, devices = 0;
  std::vector<int> scanDevices;  // device types added by Scan

 protected:
  std::uint32_t serve(DiskOsRequest& request) override;
  std::uint32_t serveSub(DiskOsRequest& r) override {
    requests.push_back(r);
    return 0;
  }

 private:
  std::string nodeName_;
  int nodeType_;
};
