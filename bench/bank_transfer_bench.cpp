// Export and import of a bank of more than 32 MiB on a CD image file, timed
// against copying the same bytes between files with plain reads and writes of
// the same 16 384-byte unit. The status display's pauses cost nothing here:
// the host's sleep only moves a virtual clock.
#include "bench/bench_support.h"
#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "tests/support/esi_image.h"

namespace {

constexpr std::uint32_t kBankBytes = 32 * 1024 * 1024 + 12345;
constexpr int kRounds = 5;

int firstBank(const Context& ctx, int device, int number) {
  for (int i = 1; i < ctx.nodes.count; ++i) {
    if (ctx.nodes[i].parent == device && ctx.nodes[i].type == Bank && ctx.nodes[i].number == number)
      return i;
  }
  return 0;
}

}  // namespace

int main() {
  const std::string dir = BenchFolder();
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
      BenchFail("cannot write the image");
    std::fclose(f);
  }

  PosixContext program;
  Context& ctx = program.ctx;
  CdImageDriver driver(ctx);
  int device = OpenBenchImage(program, driver, imagePath);
  if (firstBank(ctx, device, 0) == 0)
    BenchFail("bank not listed");

  std::vector<double> exports, imports, plainOut, plainIn;
  for (int round = 0; round < kRounds; ++round) {
    ctx.openFile = program.files.open(bankPath, FileOpen::CreateAlways);
    ctx.busy = 1;
    auto start = std::chrono::steady_clock::now();
    ExportBank(ctx, firstBank(ctx, device, 0));
    exports.push_back(SecondsSince(start));

    ctx.openFile = program.files.open(bankPath, FileOpen::ReadExisting);
    ctx.busy = 1;
    start = std::chrono::steady_clock::now();
    ImportBank(ctx, device, bankPath);
    imports.push_back(SecondsSince(start));
    int copy = firstBank(ctx, device, 1);
    if (!program.host.messages.empty() || copy == 0 || ctx.nodes[copy].size != kBankBytes)
      BenchFail(program.host.messages.empty() ? "import lost the bank"
                                              : program.host.messages[0].c_str());
    // Room for the next round's import.
    ctx.busy = 1;
    DeleteBank(ctx, copy);

    plainOut.push_back(PlainCopy(imagePath, bankOffset, kBankBytes, plainPath, 0, true));
    plainIn.push_back(
        PlainCopy(bankPath, 0, kBankBytes, imagePath, bankOffset + 559ull * 65536, false));
  }

  double mib = kBankBytes / (1024.0 * 1024.0);
  auto line = [mib](const char* what, double korrin, double plain) {
    std::printf("%-7s %.2f MiB: %7.1f ms (%6.0f MiB/s), plain copy %7.1f ms, ratio %.2f\n", what,
                mib, korrin * 1000, mib / korrin, plain * 1000, korrin / plain);
  };
  std::printf("bank transfer, median of %d rounds\n", kRounds);
  line("export", Median(exports), Median(plainOut));
  line("import", Median(imports), Median(plainIn));

  program.files.close(driver.device(0).file);
  for (const std::string& p : {imagePath, bankPath, plainPath})
    unlink(p.c_str());
  rmdir(dir.c_str());
  return 0;
}
