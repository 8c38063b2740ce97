#pragma once
// The Disk OS driver of the PC's floppy drives A: and B:. It writes whole
// cylinders of 1.44 MB disks through the floppy port and never reads them;
// each drive's only command is the WAV import. One more node, "Floppy image
// files", stands for image files of floppy emulators, written by the same
// import.
#include <cstdint>

#include "diskos/driver.h"
#include "platform/floppy_bios.h"

constexpr int kMaxFloppyDrives = 2;
constexpr int kFloppyNameSize = 260;
constexpr int kFloppyCylinders = 80;
constexpr std::uint32_t kFloppyCylinderBytes = 18432;  // 2 heads x 18 sectors
constexpr std::uint32_t kFloppyDiskBytes = kFloppyCylinders * kFloppyCylinderBytes;
// The device number of the "Floppy image files" node: never a drive record.
constexpr int kFloppyImageFilesDevice = kMaxFloppyDrives;

struct FloppyDevice {
  int diskOs;
  char path[kFloppyNameSize];
  char displayName[kFloppyNameSize];
  int drive;  // BIOS drive number: 0 = A:, 1 = B:
  int node;
};

class FloppyDriver : public DiskOsDriver {
 public:
  explicit FloppyDriver(Context& context);

  void ScanFloppyDrives();
  void AddFloppyDrive(int drive);
  // One BIOS write of count sectors of one track: 0, or 0x8000 when the
  // attempts are used up or the device call failed.
  std::uint32_t BiosWriteSectors(int drive, int cylinder, int head, int firstSector, int count,
                                 const std::uint8_t* buffer);

  int deviceCount() const { return deviceCount_; }
  const FloppyDevice& device(int index) const { return devices_[index]; }
  int driverNode() const { return driverNode_; }

 protected:
  std::uint32_t serve(DiskOsRequest& request) override;
  std::uint32_t serveSub(DiskOsRequest& request) override;

 private:
  std::uint32_t registerDriver();
  std::uint32_t scan();
  std::uint32_t writeCylinder(DiskOsRequest& request);
  std::uint32_t addDevice(const DiskOsRequest& request);
  std::uint32_t deviceNames(const DiskOsRequest& request);
  bool validDevice(DiskOsWord drv) const { return drv < static_cast<DiskOsWord>(deviceCount_); }

  FloppyDevice devices_[kMaxFloppyDrives] = {};
  int deviceCount_ = 0;
  int driverNode_ = 0;
};

// Sends WriteSectors for one whole cylinder of the drive to driver diskOs;
// true when it was written.
bool WriteFloppyCylinder(Context& ctx, int diskOs, int device, int cylinder,
                         const std::uint8_t* buffer);
// Opens and closes the device through which one disk in the drive is written.
FloppyOpen OpenFloppyDevice(Context& ctx, int diskOs, int device);
void CloseFloppyDevice(Context& ctx);
// True for the "Floppy image files" node.
bool IsFloppyImageFilesNode(const Context& ctx, int node);
