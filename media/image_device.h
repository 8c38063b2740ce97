#pragma once
// What both image drivers keep of an open image file, and the two requests
// they serve alike for it.
#include <cstdint>

#include "diskos/request.h"
#include "media/image_list.h"
#include "platform/files.h"

struct Context;

struct ImageDevice {
  int diskOs;
  char path[kImagePathSize];
  char displayName[kImagePathSize];
  // The image's node when it was added; nodes removed before it move it, so
  // requests name the node themselves.
  int node;
  std::uint8_t blockFactor;  // of the disk last listed
  FileHandle file;
};

// AddDevice: fills the record from the request (par0 the open file, par1 the
// path, par2 the display name) and adds its node, with a placeholder, under
// the driver's node as device `index`. False when the request names no file.
bool TakeImageDevice(Context& ctx, const DiskOsRequest& request, int driverNode, int diskOs,
                     int index, ImageDevice* device);
// GetDeviceNames: the path at byte 12 and the display name at byte 272 of
// the caller's record.
void CopyImageDeviceNames(const ImageDevice& device, char* record);
