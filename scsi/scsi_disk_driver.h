#pragma once
// The Disk OS driver of SCSI disks: hard disks holding an ESi disk, removable
// and optical drives and CD-ROM drives on the host's SCSI adapters, reached
// through ASPI.
#include <cstdint>

#include "core/scsi_units.h"
#include "diskos/driver.h"

constexpr int kScsiDescriptionSize = 260;
constexpr int kScsiDisplayNameSize = 520;

struct ScsiDiskEntry {
  int removable;
  char description[kScsiDescriptionSize];
  char displayName[kScsiDisplayNameSize];
  int scsiSlot;  // index in ctx.scsi.scsiDevices
  int node;
  std::uint8_t blockFactor;  // of the disk last listed
};

class ScsiDiskDriver : public DiskOsDriver {
 public:
  explicit ScsiDiskDriver(Context& context);

  // Probes every target of every host adapter the ASPI manager reports.
  void ScanScsiDisks();
  void ProbeScsiUnit(int adapter, int target);

  int deviceCount() const { return deviceCount_; }
  const ScsiDiskEntry& entry(int index) const { return entries_[index]; }
  int driverNode() const { return driverNode_; }

 protected:
  std::uint32_t serve(DiskOsRequest& request) override;
  std::uint32_t serveSub(DiskOsRequest& request) override;

 private:
  std::uint32_t registerDriver();
  std::uint32_t scan();
  std::uint32_t addDevice(const DiskOsRequest& request);
  std::uint32_t deviceNames(const DiskOsRequest& request);
  std::uint32_t transfer(int drv, bool write, std::uint32_t first, std::uint32_t count,
                         std::uint8_t* buffer);
  // A sector read the driver makes for itself, through its own handler.
  std::uint32_t readOwn(int drv, std::uint32_t first, std::uint32_t count, std::uint8_t* buffer);
  // Offers the conversion of a fixed disk's checksum, in sector (sector 0 as read).
  void offerV2Conversion(int drv, std::uint8_t* sector);
  bool validDevice(DiskOsWord drv) const { return drv < static_cast<DiskOsWord>(deviceCount_); }
  ScsiDevice& unitOf(int drv);

  ScsiDiskEntry entries_[kMaxScsiDevices] = {};
  int deviceCount_ = 0;
  int driverNode_ = 0;
};
