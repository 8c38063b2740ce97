#include "esifs/disk_info_writer.h"

#include <cstring>

void WriteDiskInfo(const DiskInfo& d, std::uint8_t* s) {
  std::memcpy(s, "EMU3", 4);
  putLe32(s + kLastSectorAt, d.lastSector);
  putLe32(s + kFirSectorAt, d.firSector);
  putLe32(s + kBankIndexSectorAt, d.bankIndexSector);
  putLe32(s + kBankIndexCountAt, d.bankIndexCount);
  putLe32(s + kBatSectorAt, d.batSector);
  putLe32(s + kBatCountAt, d.batCount);
  putLe32(s + kDataSectorAt, d.dataSector);
  putLe32(s + kBlockCountAt, d.blockCount);
  s[kBlockSizeCodeAt] = d.blockSizeCode;
  s[kBlockSizeShiftAt] = d.blockSizeShift;
}
