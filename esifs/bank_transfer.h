#pragma once
// Copying banks between an ESi disk and Windows bank files: export, import,
// and the import of the built-in empty bank. Each works through the device's
// driver and the Windows file in ctx.openFile, which the command opened and
// the operation closes; each clears the busy flag when it ends (through the
// device refresh after a successful import).
#include <cstdint>
#include <string>

struct Context;

// Where an import's bank data comes from, in order from its first byte.
class ImportSource {
 public:
  virtual ~ImportSource() = default;
  // The bank's 16 name bytes (the ones at 76-91) and its size; false when
  // they cannot be read.
  virtual bool begin(char name16[16], std::uint64_t* size) = 0;
  // The next count bytes of bank data.
  virtual bool read(std::uint8_t* buffer, std::uint32_t count) = 0;
};

// Worker entry of Export: appends the bank's data to ctx.openFile, a file the
// command has just created.
void ExportBank(Context& ctx, int bankNode);

// Worker entry of Import Bank: puts the bank file open in ctx.openFile on the
// device under the lowest free bank number. Data blocks are written before the
// Bank Allocation Table, and the table before the Bank Index entry, so an
// interruption leaves at worst blocks that no entry refers to. fileName names
// a file too short to carry a bank name.
void ImportBank(Context& ctx, int deviceNode, const std::string& fileName = std::string());

// Import Bank from any source, with the same messages, progress, order of
// writes and ending: the worker entry of banks made on the fly.
void ImportBankFrom(Context& ctx, int deviceNode, ImportSource& source);

// Command handler of Import Empty Bank: writes the empty-bank template to a
// temporary file and imports it on a worker, which deletes the file when the
// device has been listed again.
void ImportEmptyBank(Context& ctx, int deviceNode);
