#pragma once
// The chunk rules of bank files (".e3x"): the bank's data bytes cut at every
// multiple of 16 384 bytes, each chunk passed through BankKeystream keyed by
// its file offset, with the bank name copied into plain view at bytes 16-31.
// No file I/O here: callers read and write the chunks.
#include <cstdint>
#include <string>

constexpr std::uint32_t kBankChunkSize = 16384;
// Enough of a bank file's start to learn the bank name.
constexpr std::uint32_t kBankNamePeekSize = 92;
constexpr std::uint32_t kBankNameAt = 76;
constexpr std::uint32_t kBankNameCopyAt = 16;
constexpr std::uint32_t kBankNameLength = 16;

// The first three bytes are "EMU" (a bank header, left plain by the keystream).
bool BeginsWithEmu(const std::uint8_t* bytes, std::uint32_t length);

// False when the chunk's data does not begin with "EMU" but its transformed
// bytes would: a reader would then leave the first 32 bytes alone and restore
// the whole chunk wrongly, and the file cannot say otherwise.
bool IsExportChunkRestorable(const std::uint8_t* chunk, std::uint32_t length,
                             std::uint32_t fileOffset);

// Turns length bytes of bank data at fileOffset into file bytes, in place: at
// offset 0 a chunk that begins with "EMU" and holds bytes 76-91 first gets
// them copied over bytes 16-31. Answers IsExportChunkRestorable of the chunk;
// the bytes are transformed either way, and it is the caller's choice not to
// write a chunk that could not be restored.
bool PrepareExportChunk(std::uint8_t* chunk, std::uint32_t length, std::uint32_t fileOffset);

// Turns length bytes read from a bank file at fileOffset back into bank data.
void RestoreImportChunk(std::uint8_t* chunk, std::uint32_t length, std::uint32_t fileOffset);

// The 16-byte bank name of a bank file, from its first bytes as read (length
// of them, untransformed). A file shorter than 92 bytes holds no name; it is
// named after fileName (a path or a bare name): the part after the last folder
// separator without its extension, cut or padded with blanks to 16.
void BankFileName(const std::uint8_t* head, std::uint32_t length, const std::string& fileName,
                  char name16[kBankNameLength]);
