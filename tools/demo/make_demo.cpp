// Makes the demo CD image: a fresh image from the program's template with a
// few banks imported through the same code Korrin runs. Usage:
//   korrin_make_demo OUTPUT.iso
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/context.h"
#include "esifs/bank_file.h"
#include "esifs/bank_transfer.h"
#include "media/cd_image_driver.h"
#include "media/image_commands.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korrin_make_demo OUTPUT.iso\n");
    return 2;
  }
  std::string image = argv[1];
  PosixContext program;
  Context& ctx = program.ctx;
  int root = addNode(ctx, 0, Root, ctx.programTitle.c_str());
  ctx.settingsKey = program.registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\demo");

  ctx.drivers.push_back(std::make_unique<CdImageDriver>(ctx));
  if (!RegisterDiskOs(ctx, *ctx.drivers.back()) || !CreateImageFile(ctx, image) ||
      !AddImageFile(ctx, image)) {
    std::fprintf(stderr, "korrin_make_demo: cannot create %s\n", image.c_str());
    return 1;
  }
  int device = 0;
  for (int i = root; i < ctx.nodes.count; ++i) {
    if (ctx.nodes[i].type == ImageFile)
      device = i;
  }
  listDevice(ctx, device, false);
  std::string bankFile = image + ".bank.tmp";
  for (const DemoBank& bank : kBanks) {
    if (!writeBankFile(bankFile, bank))
      return 1;
    ctx.openFile = program.files.open(bankFile, FileOpen::ReadExisting);
    ctx.busy = 1;
    ImportBank(ctx, device);
    if (!program.host.messages.empty()) {
      std::fprintf(stderr, "korrin_make_demo: %s\n", program.host.messages.back().c_str());
      return 1;
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
  return banks == static_cast<int>(sizeof kBanks / sizeof *kBanks) ? 0 : 1;
}
