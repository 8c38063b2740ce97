// Export and import of a bank of more than 32 MiB on a CD image file, timed
// against copying the same bytes between files with plain reads and writes of
// the same 16 384-byte unit. The status display's pauses cost nothing here:
// the host's sleep only moves a virtual clock.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/context.h"
#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "media/cd_image_driver.h"
#include "tests/support/esi_image.h"
#include "tests/support/test_context.h"

namespace {

constexpr std::uint32_t kBankBytes = 32 * 1024 * 1024 + 12345;
constexpr std::uint32_t kUnit = 16384;
constexpr int kRounds = 5;

double seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void fail(const char* what) {
  std::fprintf(stderr, "bank_transfer_bench: %s\n", what);
  std::exit(1);
}

// The plain copy: bytes bytes from offset `from` of one file to offset `to` of
// another, in 16 384-byte reads and writes.
double plainCopy(const std::string& source, std::uint64_t from, const std::string& target,
                 std::uint64_t to, bool create) {
  // Opened before the clock starts, as the commands open Korrin's file.
  int in = open(source.c_str(), O_RDONLY);
  int out = open(target.c_str(), create ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY, 0644);
  if (in < 0 || out < 0)
    fail("cannot open the plain copy's files");
  std::vector<char> buffer(kUnit);
  auto start = std::chrono::steady_clock::now();
  lseek(in, static_cast<off_t>(from), SEEK_SET);
  lseek(out, static_cast<off_t>(to), SEEK_SET);
  for (std::uint32_t left = kBankBytes; left > 0;) {
    std::uint32_t n = std::min(left, kUnit);
    if (read(in, buffer.data(), n) != static_cast<ssize_t>(n) ||
        write(out, buffer.data(), n) != static_cast<ssize_t>(n))
      fail("plain copy failed");
    left -= n;
  }
  double taken = seconds(start);
  close(in);
  close(out);
  return taken;
}

int firstBank(const Context& ctx, int device, int number) {
  for (int i = 1; i < ctx.nodes.count; ++i) {
    if (ctx.nodes[i].parent == device && ctx.nodes[i].type == Bank && ctx.nodes[i].number == number)
      return i;
  }
  return 0;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  char folder[] = "/tmp/korrin-bench-XXXXXX";
  if (!mkdtemp(folder))
    fail("no temporary folder");
  const std::string dir = folder;
  const std::string imagePath = dir + "/bench.iso";
  const std::string bankPath = dir + "/bench.e3x";
  const std::string plainPath = dir + "/plain.bin";

  // 1100 blocks of 64 KiB: room for the bank and one imported copy.
  EsiLayout layout;
  layout.blockCount = 1100;
  layout.batSectors = 5;
  std::uint64_t bankOffset = 0;
  {
    EsiImage image(layout);
    std::uint16_t first = image.addBank(0, "BENCH", MakeBankData(kBankBytes, "BENCH", 1));
    bankOffset = std::uint64_t{image.blockStart(first)} * 512;
    std::FILE* f = std::fopen(imagePath.c_str(), "wb");
    if (!f || std::fwrite(image.bytes.data(), 1, image.bytes.size(), f) != image.bytes.size())
      fail("cannot write the image");
    std::fclose(f);
  }

  PosixContext program;
  Context& ctx = program.ctx;
  addNode(ctx, 0, Root, ctx.programTitle.c_str());
  CdImageDriver driver(ctx);
  if (!RegisterDiskOs(ctx, driver))
    fail("driver not registered");
  DiskOsRequest add = makeSubRequest(AddDevice);
  add.par0 = program.files.open(imagePath, FileOpen::ReadWriteExisting);
  add.par1 = reinterpret_cast<DiskOsWord>(imagePath.c_str());
  add.par2 = reinterpret_cast<DiskOsWord>("bench.iso");
  add.diskOs = static_cast<DiskOsWord>(driver.ownIndex());
  if (add.par0 == kNoFile || SendDiskOs(ctx, add) != 0)
    fail("image not added");
  int device = driver.device(0).node;
  listDevice(ctx, device, false);
  if (firstBank(ctx, device, 0) == 0)
    fail("bank not listed");

  std::vector<double> exports, imports, plainOut, plainIn;
  for (int round = 0; round < kRounds; ++round) {
    ctx.openFile = program.files.open(bankPath, FileOpen::CreateAlways);
    ctx.busy = 1;
    auto start = std::chrono::steady_clock::now();
    ExportBank(ctx, firstBank(ctx, device, 0));
    exports.push_back(seconds(start));

    ctx.openFile = program.files.open(bankPath, FileOpen::ReadExisting);
    ctx.busy = 1;
    start = std::chrono::steady_clock::now();
    ImportBank(ctx, device, bankPath);
    imports.push_back(seconds(start));
    int copy = firstBank(ctx, device, 1);
    if (!program.host.messages.empty() || copy == 0 || ctx.nodes[copy].size != kBankBytes)
      fail(program.host.messages.empty() ? "import lost the bank"
                                         : program.host.messages[0].c_str());
    // Room for the next round's import.
    ctx.busy = 1;
    DeleteBank(ctx, copy);

    plainOut.push_back(plainCopy(imagePath, bankOffset, plainPath, 0, true));
    plainIn.push_back(plainCopy(bankPath, 0, imagePath, bankOffset + 559ull * 65536, false));
  }

  double mib = kBankBytes / (1024.0 * 1024.0);
  auto line = [mib](const char* what, double korrin, double plain) {
    std::printf("%-7s %.2f MiB: %7.1f ms (%6.0f MiB/s), plain copy %7.1f ms, ratio %.2f\n", what,
                mib, korrin * 1000, mib / korrin, plain * 1000, korrin / plain);
  };
  std::printf("bank transfer, median of %d rounds\n", kRounds);
  line("export", median(exports), median(plainOut));
  line("import", median(imports), median(plainIn));

  program.files.close(driver.device(0).file);
  for (const std::string& p : {imagePath, bankPath, plainPath})
    unlink(p.c_str());
  rmdir(folder);
  return 0;
}
