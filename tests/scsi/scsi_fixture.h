#pragma once
// A program context with the SCSI disk driver registered over a simulated
// bus. The bus keeps its image files apart from the program's files, as a
// real device would.
#include <memory>
#include <string>
#include <vector>

#include "scsi/aspi_transport.h"
#include "scsi/scsi_disk_driver.h"
#include "sim/bus_file.h"
#include "sim/scsi_bus.h"
#include "tests/support/test_context.h"

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

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

  // Puts the units of a bus description on the bus; their sources name
  // files of media.
  void units(const std::string& description) {
    for (const SimUnitConfig& unit : ParseBusText(description, "").units)
      bus.addUnit(unit);
  }
  // Requests go to slot 0, the driver's.
  std::uint32_t send(DiskOsRequest r) { return SendDiskOs(ctx, r); }
  void scan() { send(makeRequest(Scan)); }
  // The device nodes under "SCSI Disks", in order.
  std::vector<int> deviceNodes() const {
    std::vector<int> nodes;
    for (int i = 1; i < ctx.nodes.count; ++i)
      if (ctx.nodes[i].parent == driver->driverNode() && isDeviceType(ctx.nodes[i].type))
        nodes.push_back(i);
    return nodes;
  }
};
