#pragma once
// The Disk OS driver of CD image files: Windows files that hold an ESi disk
// sector by sector, registered in the program's registry key so they open at
// every start.
#include <cstdint>
#include <string>

#include "diskos/driver.h"
#include "media/image_device.h"
#include "media/image_list.h"
#include "platform/files.h"
#include "platform/registry.h"

constexpr int kMaxImages = 4;

class CdImageDriver : public DiskOsDriver {
 public:
  explicit CdImageDriver(Context& context);

  // Opens every registered image (at most kMaxImages).
  void ScanImageList();
  // Opens entry listIndex + 1 of the image list and adds it as a device; an
  // image that does not open or is no ESi disk is dropped from the list.
  void OpenImageFile(int listIndex, const std::string& path);
  void RemoveImageListEntry(int listIndex);
  // Registers the file the user chose and opens it.
  void AddImageFile(const std::string& chosenName);

  int deviceCount() const { return deviceCount_; }
  const ImageDevice& device(int index) const { return devices_[index]; }
  int imageListCount() const { return listCount_; }
  int driverNode() const { return driverNode_; }

 protected:
  std::uint32_t serve(DiskOsRequest& request) override;
  std::uint32_t serveSub(DiskOsRequest& request) override;

 private:
  std::uint32_t registerDriver();
  std::uint32_t scan();
  std::uint32_t addDevice(const DiskOsRequest& request);
  std::uint32_t deviceNames(const DiskOsRequest& request);
  std::uint32_t transfer(DiskOsRequest& request, bool write);
  std::uint32_t readSectors(int drv, std::uint32_t first, std::uint32_t n, std::uint8_t* buffer);
  bool validDevice(DiskOsWord drv) const { return drv < static_cast<DiskOsWord>(deviceCount_); }
  // The "ISO" key and its "Files" value, named by the string table.
  ImageListKey listKey();

  ImageDevice devices_[kMaxImages] = {};
  int deviceCount_ = 0;
  int listCount_ = 0;
  int driverNode_ = 0;
};

// The CD image driver registered in the Disk OS table, or null.
CdImageDriver* FindCdImageDriver(Context& ctx);
