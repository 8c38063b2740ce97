#pragma once
// The Disk OS driver of hard disk image files: the files in which SCSI disk
// emulators keep the disks a sampler formatted. Registered in a list of its
// own in the program's registry key, opened at every start.
#include <cstdint>
#include <string>

#include "diskos/driver.h"
#include "media/image_device.h"
#include "media/image_list.h"
#include "platform/files.h"

constexpr int kMaxDiskImages = 8;

struct DiskImageDevice : ImageDevice {
  std::uint64_t diskSectors;  // nothing is written from here on
  int listEntry;              // its entry in the image list, from 1
};

class DiskImageDriver : public DiskOsDriver {
 public:
  explicit DiskImageDriver(Context& context);

  // Opens the registered images, at most kMaxDiskImages. An entry that does
  // not open stays in the list: a memory card may be out of its reader today.
  void ScanImageList();
  // Opens the file the user chose and registers it; says why not in a
  // message and answers false when it does not open.
  bool AddImageFile(const std::string& chosenName);

  int deviceCount() const { return deviceCount_; }
  const DiskImageDevice& device(int index) const { return devices_[index]; }
  int imageListCount() const { return listCount_; }

 protected:
  std::uint32_t serve(DiskOsRequest& request) override;
  std::uint32_t serveSub(DiskOsRequest& request) override;

 private:
  enum class Opened { Yes, Unopenable, NotEsiDisk, AlreadyOpen, Full };
  Opened openImage(int listEntry, const std::string& path);
  // Drops the device and, since only the driver knows which entry it came
  // from, its entry in the image list (the Remove command).
  void removeDevice(int drv);
  std::uint32_t registerDriver();
  std::uint32_t addDevice(const DiskOsRequest& request);
  std::uint32_t deviceNames(const DiskOsRequest& request);
  std::uint32_t transfer(DiskOsRequest& request, bool write);
  std::uint32_t readSectors(int drv, std::uint32_t first, std::uint32_t n, std::uint8_t* buffer);
  bool validDevice(DiskOsWord drv) const { return drv < static_cast<DiskOsWord>(deviceCount_); }
  int openDeviceOf(const std::string& path) const;

  DiskImageDevice devices_[kMaxDiskImages] = {};
  int deviceCount_ = 0;
  int listCount_ = 0;
  int driverNode_ = 0;
};

// The disk image driver in a slot of the Disk OS table, or null.
DiskImageDriver* DiskImageDriverAt(Context& ctx, int slot);
