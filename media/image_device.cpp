#include "media/image_device.h"

#include <cstdio>

#include "core/context.h"

bool TakeImageDevice(Context& ctx, const DiskOsRequest& request, int driverNode, int diskOs,
                     int index, ImageDevice* r) {
  const char* path = reinterpret_cast<const char*>(request.par1);
  const char* name = reinterpret_cast<const char*>(request.par2);
  if (!path || !name)
    return false;
  r->diskOs = diskOs;
  r->file = static_cast<FileHandle>(request.par0);
  std::snprintf(r->path, sizeof r->path, "%s", path);
  std::snprintf(r->displayName, sizeof r->displayName, "%s", name);
  r->node = addNode(ctx, driverNode, ImageFile, r->displayName);
  if (r->node != 0) {
    ctx.nodes[r->node].device = index;
    ctx.nodes[r->node].diskOs = diskOs;
    addPlaceholder(ctx, r->node);
  }
  return true;
}

void CopyImageDeviceNames(const ImageDevice& r, char* record) {
  std::snprintf(record + 12, kImagePathSize, "%s", r.path);
  std::snprintf(record + 272, kImagePathSize, "%s", r.displayName);
}
