// Makes the demo disks: a fresh CD image from the program's template and,
// when asked, a small ESi hard disk image for the simulated SCSI bus, each
// with a few banks imported through the same code Korrin runs. Usage:
//   korrin_make_demo OUTPUT.iso [HARDDISK.img]
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/context.h"
#include "esifs/bank_file.h"
#include "esifs/bank_transfer.h"
#include "media/cd_image_driver.h"
#include "media/image_commands.h"
#include "tests/support/esi_image.h"
#include "tests/support/test_context.h"

namespace {

struct DemoBank {
  const char* name;
  std::uint32_t bytes;
};

const DemoBank kBanks[] = {
    {"GRAND PIANO", 1536 * 1024},
    {"STRING PADS", 420 * 1024},
    {"DRUM KIT 808", 96 * 1024 + 300},
    {"ANALOG BASS", 40 * 1024},
};

// A bank file as Korrin exports one: an ESi identification, the name at
// bytes 16-31 and 76-91, some varied data, chunk by chunk through the keystream.
bool writeBankFile(const std::string& path, const DemoBank& bank) {
  std::vector<std::uint8_t> data(bank.bytes);
  for (std::uint32_t i = 0; i < bank.bytes; ++i) {
    data[i] = static_cast<std::uint8_t>((i * 7 + (i >> 9)) & 0xFF);
  }
  char name[17];
  std::snprintf(name, sizeof name, "%-16s", bank.name);
  std::memcpy(data.data(), "EMULATOR 3X     ", 16);
  std::memcpy(data.data() + 16, name, 16);
  std::memcpy(data.data() + kBankNameAt, name, 16);
  for (std::uint32_t at = 0; at < bank.bytes; at += kBankChunkSize) {
    std::uint32_t n = bank.bytes - at < kBankChunkSize ? bank.bytes - at : kBankChunkSize;
    PrepareExportChunk(data.data() + at, n, at);
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

// An empty ESi disk of 120 blocks of 64 KiB, as a sampler formats one, written
// whole so that a simulated SCSI disk holds every sector of it.
bool writeHardDisk(const std::string& path) {
  EsiLayout layout;
  layout.blockCount = 120;
  layout.indexSectors = 4;
  EsiImage disk(layout);
  std::vector<std::uint8_t> bytes = disk.file((disk.info.lastSector + 4) / 4 * 4);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// Opens the image in the program's image driver, imports the demo banks and
// prints them as Korrin lists them; false after a message.
bool fillImage(PosixContext& program, const std::string& image) {
  Context& ctx = program.ctx;
  if (!AddImageFile(ctx, image)) {
    std::fprintf(stderr, "korrin_make_demo: cannot open %s\n", image.c_str());
    return false;
  }
  int device = 0;
  for (int i = 1; i < ctx.nodes.count; ++i) {
    if (ctx.nodes[i].type == ImageFile)
      device = i;
  }
  listDevice(ctx, device, false);
  std::string bankFile = image + ".bank.tmp";
  for (const DemoBank& bank : kBanks) {
    if (!writeBankFile(bankFile, bank))
      return false;
    ctx.openFile = program.files.open(bankFile, FileOpen::ReadExisting);
    ctx.busy = 1;
    ImportBank(ctx, device);
    if (!program.host.messages.empty()) {
      std::fprintf(stderr, "korrin_make_demo: %s\n", program.host.messages.back().c_str());
      return false;
    }
  }
  program.files.remove(bankFile);
  // Read the disk back as Korrin will show it.
  listDevice(ctx, device, false);
  int banks = 0;
  for (int i = device + 1; i < ctx.nodes.count; ++i) {
    const TreeNode& n = ctx.nodes[i];
    if (n.parent != device || n.type != Bank)
      continue;
    std::printf("  B%.2d %-16s %s\n", n.number, n.name, FormatSize(n.size).c_str());
    ++banks;
  }
  std::printf("%s: %d banks\n", image.c_str(), banks);
  return banks == static_cast<int>(sizeof kBanks / sizeof *kBanks);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: korrin_make_demo OUTPUT.iso [HARDDISK.img]\n");
    return 2;
  }
  PosixContext program;
  Context& ctx = program.ctx;
  addNode(ctx, 0, Root, ctx.programTitle.c_str());
  ctx.settingsKey = program.registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\demo");
  ctx.drivers.push_back(std::make_unique<CdImageDriver>(ctx));
  if (!RegisterDiskOs(ctx, *ctx.drivers.back()) || !CreateImageFile(ctx, argv[1]) ||
      !fillImage(program, argv[1]))
    return 1;
  if (argc == 3 && (!writeHardDisk(argv[2]) || !fillImage(program, argv[2])))
    return 1;
  return 0;
}
