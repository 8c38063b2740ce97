#include "esifs/bank_file.h"

#include <cstring>

#include "esifs/keystream.h"

bool BeginsWithEmu(const std::uint8_t* b, std::uint32_t length) {
  return length >= 3 && b[0] == 'E' && b[1] == 'M' && b[2] == 'U';
}

bool IsExportChunkRestorable(const std::uint8_t* chunk, std::uint32_t length,
                             std::uint32_t fileOffset) {
  if (length < 3 || BeginsWithEmu(chunk, length))
    return true;
  // The keystream of the first bytes depends only on the offset, so three suffice.
  std::uint8_t head[3] = {chunk[0], chunk[1], chunk[2]};
  BankKeystream(head, 3, fileOffset);
  return !BeginsWithEmu(head, 3);
}

bool PrepareExportChunk(std::uint8_t* chunk, std::uint32_t length, std::uint32_t fileOffset) {
  if (fileOffset == 0 && length >= kBankNamePeekSize && BeginsWithEmu(chunk, length))
    std::memcpy(chunk + kBankNameCopyAt, chunk + kBankNameAt, kBankNameLength);
  bool restorable = IsExportChunkRestorable(chunk, length, fileOffset);
  BankKeystream(chunk, length, fileOffset);
  return restorable;
}

void RestoreImportChunk(std::uint8_t* chunk, std::uint32_t length, std::uint32_t fileOffset) {
  BankKeystream(chunk, length, fileOffset);
}

void BankFileName(const std::uint8_t* head, std::uint32_t length, const std::string& fileName,
                  char name16[kBankNameLength]) {
  if (length >= kBankNamePeekSize) {
    std::uint8_t peek[kBankNamePeekSize];
    std::memcpy(peek, head, sizeof peek);
    RestoreImportChunk(peek, sizeof peek, 0);
    std::memcpy(name16, peek + kBankNameAt, kBankNameLength);
    return;
  }
  std::string base = fileName.substr(fileName.find_last_of("\\/:") + 1);
  std::string::size_type dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0)
    base.erase(dot);
  std::memset(name16, ' ', kBankNameLength);
  std::memcpy(name16, base.data(), base.size() < kBankNameLength ? base.size() : kBankNameLength);
}
