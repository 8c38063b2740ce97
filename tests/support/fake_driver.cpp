#include "tests/support/fake_driver.h"

#include <cstring>

#include "esifs/disk_info.h"

FakeDriver::FakeDriver(Context& ctx, std::string nodeName, int nodeType, std::uint32_t served)
    : DiskOsDriver(ctx, served, GetCodeMask | GetSubCodeMask | AddDevice),
      nodeName_(std::move(nodeName)),
      nodeType_(nodeType) {}

int FakeDriver::addDevice(int type, const char* name) {
  int n = addNode(ctx, node, type, name);
  ctx.nodes[n].diskOs = ownIndex();
  ctx.nodes[n].device = devices++;
  addPlaceholder(ctx, n);
  return n;
}

static void makeDiskInfo(std::uint8_t* s) {
  std::memset(s, 0, 512);
  std::memcpy(s, "EMU3", 4);
  s[kBlockSizeCodeAt] = 1;
  StoreChecksum(s, DiskInfoChecksumV2(s));
}

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
      if (esiDisk && r.par0 == 0)
        makeDiskInfo(buffer);
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

std::uint32_t FakeDriver::serveSub(DiskOsRequest& r) {
  requests.push_back(r);
  switch (r.cg2) {
    case GetCodeMask:
      return 0xC0000003;
    case GetSubCodeMask:
      return 7;
  }
  return 0;
}
