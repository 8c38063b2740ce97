#include "tests/support/fake_driver.h"

#include <cstring>

#include "esifs/disk_info.h"

std::uint32_t FakeDriver::serve(DiskOsRequest& r) {
  requests.push_back(r);
  switch (r.cg1) {
    case Register:
      if (registerResult != 0)
        return registerResult;
      node = addNode(ctx, ctx.nodes.rootIndex, nodeType_, nodeName_.c_str());
      ctx.nodes[node].diskOs = ownIndex();
      SetDiskOsName(ctx, ownIndex(), nodeName_.c_str());
      return 0;
    case Scan:
      for (int type : scanDevices)
        addDevice(type, "device");
      return scanResult;
    case QueryReadOnly:
      return readOnly;
    case DeviceCount:
      return static_cast<std::uint32_t>(devices);
    case ReadSectors: {
      std::uint32_t n = transferCount(r);
      if (n == 0)
        return DiskOsBufferTooSmall;
      auto* buffer = reinterpret_cast<std::uint8_t*>(r.bufI);
      std::memset(buffer, 0, n * kSectorSize);
      if (esiDisk && r.par0 == 0) {
        std::memcpy(buffer, "EMU3", 4);
        buffer[kBlockSizeCodeAt] = 1;
        StoreChecksum(buffer, DiskInfoChecksumV2(buffer));
      }
      return 0;
    }
    case ListBanks: {
      int device = static_cast<int>(r.par3);
      if (device == 0)
        return 0;
      removeChildren(ctx, device, true);
      for (const FakeBank& b : banks) {
        int made = addBankNode(ctx, device, b.name.c_str(), b.number);
        ctx.nodes[made].size = b.size;
        updateNodeRow(ctx, made);
      }
      return 0;
    }
  }
  return 0;
}
