#pragma once
// A program context with the SCSI disk driver registered over a simulated
// bus. The bus keeps its image files apart from the program's files, as a
// real device would.
#include <memory>
#include <string>
#include <vector>

#include "core/context.h"
#include "scsi/aspi_transport.h"
#include "scsi/scsi_disk_driver.h"
#include "sim/scsi_bus.h"
#include "tests/support/test_context.h"

struct ScsiFixture {
  TestContext tc;
  Context& ctx = tc.ctx;
  MemoryFiles media;
  SimScsiBus bus{media};
  ScsiDiskDriver* driver = nullptr;

  ScsiFixture() {
    tc.addRoot();
    AspiAttach(ctx, &bus);
    ctx.drivers.push_back(std::make_unique<ScsiDiskDriver>(ctx));
    driver = static_cast<ScsiDiskDriver*>(ctx.drivers.back().get());
    RegisterDiskOs(ctx, *driver);
  }
  ~ScsiFixture() { AspiRelease(ctx); }

  // A unit on adapter 0 over an image (empty bytes: no medium).
  SimUnitConfig& unit(int target, SimUnitKind kind, const std::vector<std::uint8_t>& image,
                      const std::string& vendor = "SEAGATE",
                      const std::string& product = "ST32550N") {
    SimUnitConfig c;
    c.target = target;
    c.kind = kind;
    c.vendor = vendor;
    c.product = product;
    if (!image.empty()) {
      c.source = "C:\\esi\\unit" + std::to_string(target) + ".img";
      media.data(c.source) = image;
    }
    pending.push_back(c);
    return pending.back();
  }
  // Puts the units on the bus and scans.
  void scan() {
    for (const SimUnitConfig& c : pending)
      bus.addUnit(c);
    pending.clear();
    DiskOsRequest r = makeRequest(Scan);
    r.diskOs = static_cast<DiskOsWord>(driver->ownIndex());
    SendDiskOs(ctx, r);
  }
  std::vector<std::uint8_t>& image(int target) {
    return media.data("C:\\esi\\unit" + std::to_string(target) + ".img");
  }
  std::uint32_t send(DiskOsRequest r) {
    r.diskOs = static_cast<DiskOsWord>(driver->ownIndex());
    return SendDiskOs(ctx, r);
  }
  std::uint32_t transfer(std::uint32_t code, int drv, std::uint32_t first, std::uint32_t count,
                         std::uint8_t* buffer, std::uint32_t size) {
    DiskOsRequest r = makeRequest(code, static_cast<DiskOsWord>(drv));
    r.par0 = first;
    r.par1 = count;
    r.bufI = reinterpret_cast<DiskOsWord>(buffer);
    r.bIsz = size;
    return send(r);
  }
  // The device nodes under "SCSI Disks", in order.
  std::vector<int> deviceNodes() const {
    std::vector<int> nodes;
    for (int i = 1; i < ctx.nodes.count; ++i) {
      if (ctx.nodes[i].parent == driver->driverNode() && isDeviceType(ctx.nodes[i].type))
        nodes.push_back(i);
    }
    return nodes;
  }

  std::vector<SimUnitConfig> pending;
};
