// Makes the demo disks: a fresh CD image from the program's template and,
// when asked, a small ESi hard disk image for the simulated SCSI bus, each
// with a few banks built from WAV files and imported through the same code
// Korrin runs. Each bank's WAV files are in the folder of its name under
// WAVS. Usage:
//   korrin_make_demo WAVS OUTPUT.iso [HARDDISK.img]
#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/context.h"
#include "esifs/bank_builder.h"
#include "esifs/bank_transfer.h"
#include "media/cd_image_driver.h"
#include "media/image_commands.h"
#include "tests/support/esi_image.h"
#include "tests/support/test_context.h"

namespace {

const char* const kBanks[] = {"GRAND PIANO", "STRING PADS", "DRUM KIT 808", "ANALOG BASS"};

// The WAV files in a folder, in any order: the bank puts them in order.
std::vector<std::string> wavFiles(const std::string& folder) {
  std::vector<std::string> paths;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".wav") == 0)
        paths.push_back(folder + "/" + name);
    }
    closedir(dir);
  }
  return paths;
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
bool fillImage(PosixContext& program, const std::string& wavs, const std::string& image) {
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
  for (const char* name : kBanks) {
    BankPlan plan;
    std::string why;
    if (!PlanBank(program.files, wavFiles(wavs + "/" + name), name, &plan, &why) ||
        plan.samples.empty()) {
      std::fprintf(stderr, "korrin_make_demo: %s: %s\n", name, why.c_str());
      return false;
    }
    ctx.busy = 1;
    ImportNewBank(ctx, device, plan);
    if (!program.host.messages.empty()) {
      std::fprintf(stderr, "korrin_make_demo: %s\n", program.host.messages.back().c_str());
      return false;
    }
  }
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
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: korrin_make_demo WAVS OUTPUT.iso [HARDDISK.img]\n");
    return 2;
  }
  PosixContext program;
  Context& ctx = program.ctx;
  addNode(ctx, 0, Root, ctx.programTitle.c_str());
  ctx.settingsKey = program.registry.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\demo");
  ctx.drivers.push_back(std::make_unique<CdImageDriver>(ctx));
  if (!RegisterDiskOs(ctx, *ctx.drivers.back()) || !CreateImageFile(ctx, argv[2]) ||
      !fillImage(program, argv[1], argv[2]))
    return 1;
  if (argc == 4 && (!writeHardDisk(argv[3]) || !fillImage(program, argv[1], argv[3])))
    return 1;
  return 0;
}
