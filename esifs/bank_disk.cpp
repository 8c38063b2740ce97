#include "esifs/bank_disk.h"

#include <climits>

#include "core/context.h"
#include "esifs/bat.h"

BankDisk::BankDisk(Context& ctx, int node) : ctx_(ctx) {
  const NodeTable& t = ctx.nodes;
  int device = findDeviceNode(ctx, node);
  int diskOs = findDiskOsNode(ctx, device);
  if (!t.valid(device) || !t.valid(diskOs))
    return;
  deviceNode_ = device;
  diskOs_ = t[diskOs].diskOs;
  device_ = t[device].device;
  info_ = ReadDiskInfo(t[device].diskInfo);
  blockSectors_ = BlockSectors(info_);
  usable_ = IsUsableEsiDisk(info_) &&
            static_cast<std::uint32_t>(t[device].blockFactor) * 128 == blockSectors_;
}

std::string BankDisk::deviceName() const {
  return found() ? ctx_.nodes[deviceNode_].name : "";
}

bool BankDisk::blockStart(std::uint32_t block, std::uint32_t* sector) const {
  if (!usable_ || block < 1 || block > info_.blockCount || block > kHighestBlock)
    return false;
  *sector = FirstSectorOfBlock(info_, block);
  return true;
}

bool BankDisk::transfer(std::uint32_t code, std::uint32_t sector, std::uint32_t count,
                        const std::uint8_t* buffer) const {
  if (!usable_ || sector + std::uint64_t{count} > std::uint64_t{info_.lastSector} + 1)
    return false;
  DiskOsRequest r = makeRequest(code, static_cast<DiskOsWord>(device_));
  r.par0 = sector;
  r.par1 = count;
  r.bufI = reinterpret_cast<DiskOsWord>(buffer);
  r.bIsz = count * 512;
  r.diskOs = static_cast<DiskOsWord>(diskOs_);
  return SendDiskOs(ctx_, r) == 0;
}

bool BankDisk::read(std::uint32_t sector, std::uint32_t count, std::uint8_t* buffer) const {
  return transfer(ReadSectors, sector, count, buffer);
}

bool BankDisk::write(std::uint32_t sector, std::uint32_t count, const std::uint8_t* buffer) const {
  return transfer(WriteSectors, sector, count, buffer);
}

bool BankDisk::readBat(std::uint8_t* bat) const {
  for (std::uint32_t i = 0; i < info_.batCount; ++i) {
    if (!read(info_.batSector + i, 1, bat + i * 512))
      return false;
    ctx_.lcd.LcdAdvanceProgress(1);
  }
  return true;
}

bool BankDisk::loadBat(std::uint8_t* bat) const {
  if (usable_ && readBat(bat))
    return true;
  ctx_.host.message(kBatError);
  return false;
}

bool BankDisk::writeBat(const std::uint8_t* bat) const {
  for (std::uint32_t i = 0; i < info_.batCount; ++i) {
    if (!write(info_.batSector + i, 1, bat + i * 512))
      return false;
    ctx_.lcd.LcdAdvanceProgress(1);
  }
  return true;
}

bool BankDisk::readIndex(std::uint32_t k, std::uint8_t* sector) const {
  return k < info_.bankIndexCount && read(info_.bankIndexSector + k, 1, sector);
}

bool BankDisk::writeIndex(std::uint32_t k, const std::uint8_t* sector) const {
  return k < info_.bankIndexCount && write(info_.bankIndexSector + k, 1, sector);
}

int ProgressTotal(std::uint64_t total) {
  return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

void ShowStatus(Context& ctx, const char* text) {
  ctx.lcd.LcdSetCursor(0, 0);
  ctx.lcd.LcdClearLine(0, false);
  ctx.lcd.LcdPrint(text);
}

void CloseOpenFile(Context& ctx) {
  if (ctx.openFile != kNoFile)
    ctx.files.close(ctx.openFile);
  ctx.openFile = kNoFile;
}
