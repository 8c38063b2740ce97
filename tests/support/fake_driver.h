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
                                    DeviceCount);

  // Adds a device node under the driver's node, with a placeholder.
  int addDevice(int type, const char* name);

  std::vector<DiskOsRequest> requests;
  std::vector<FakeBank> banks;  // listed for every device
  std::uint32_t registerResult = 0;
  std::uint32_t scanResult = 0;
  std::uint32_t readOnly = 0;
  bool esiDisk = true;  // sector 0 reads as an ESi disk
  int node = 0;
  int devices = 0;
  std::vector<int> scanDevices;  // device types added by Scan

 protected:
  std::uint32_t serve(DiskOsRequest& request) override;
  std::uint32_t serveSub(DiskOsRequest& request) override;

 private:
  std::string nodeName_;
  int nodeType_;
};
