// Extracting every sample of a 64 MiB bank on a disk image as WAV files,
// timed against copying the same number of bytes out of the image with plain
// reads and writes of the same 16 384-byte unit. The bank is built from WAV
// files by Korrin's own code and put on the image through Import.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "audio/wav.h"
#include "bench/bench_support.h"
#include "esifs/bank_builder.h"
#include "esifs/bank_bytes.h"
#include "esifs/bank_contents.h"
#include "esifs/sample_extract.h"
#include "esifs/wav_bank_plan.h"
#include "tests/support/esi_image.h"

namespace {

constexpr int kSamples = 8;
constexpr std::uint32_t kFrames = 2 * 1024 * 1024;  // stereo: 8 MiB of audio each
constexpr int kRounds = 5;

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
    BenchFail("cannot write " + path);
  std::fclose(f);
}

// A stereo WAV file whose every word differs from its neighbours'.
void writeWav(const std::string& path, int seed) {
  WavHeader h = MakeWavHeader(2, 44100, 16, kFrames);
  std::vector<std::uint8_t> bytes(h.bytes, h.bytes + kWavHeaderSize);
  bytes.resize(kWavHeaderSize + std::size_t{kFrames} * 4);
  for (std::size_t i = kWavHeaderSize; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 31 + seed);
  writeFile(path, bytes);
}

}  // namespace

int main() {
  const std::string dir = BenchFolder();
  const std::string imagePath = dir + "/bench.iso";

  EsiLayout layout;
  layout.blockCount = 1100;  // 64 KiB blocks: room for the bank
  layout.batSectors = 5;
  writeFile(imagePath, EsiImage(layout).bytes);
  std::vector<std::string> wavs;
  for (int i = 0; i < kSamples; ++i) {
    wavs.push_back(dir + "/" + std::to_string(i) + ".wav");
    writeWav(wavs.back(), i);
  }

  PosixContext program;
  Context& ctx = program.ctx;
  CdImageDriver driver(ctx);
  const int device = OpenBenchImage(program, driver, imagePath);

  BankPlan plan;
  std::string why;
  if (!PlanBank(program.files, wavs, "BENCH", &plan, &why))
    BenchFail(why);
  ctx.busy = 1;
  ImportNewBank(ctx, device, plan);
  int bank = 0;
  for (int i = 1; i < ctx.nodes.count && bank == 0; ++i)
    if (ctx.nodes[i].parent == device && ctx.nodes[i].type == Bank)
      bank = i;
  if (bank == 0 || !program.host.messages.empty())
    BenchFail(program.host.messages.empty() ? "no bank on the image" : program.host.messages[0]);

  std::vector<double> extracts, plains;
  std::uint64_t audioBytes = 0;
  for (int round = 0; round < kRounds; ++round) {
    // Into new files, as into a fresh folder: replacing files costs the file
    // system more than writing them.
    std::system(("rm -f " + dir + "/0*.wav " + dir + "/plain*").c_str());
    auto start = std::chrono::steady_clock::now();
    std::unique_ptr<BankBytes> bytes = OpenBankOnDisk(ctx, bank);
    BankContents contents;
    if (!bytes || !ReadBankContents(*bytes, &contents) || contents.damaged ||
        contents.samples.size() != kSamples)
      BenchFail("the bank does not list");
    for (const BankSample& s : contents.samples) {
      if (!ExtractSample(ctx, *bytes, s, dir + "/" + ExtractFileName(s)))
        BenchFail("extraction failed");
    }
    extracts.push_back(SecondsSince(start));
    // The same bytes into as many new files, each sample's from the image.
    audioBytes = 0;
    double plain = 0;
    for (const BankSample& s : contents.samples) {
      std::uint64_t bytes = std::uint64_t{s.frames} * s.channels * 2;
      plain += PlainCopy(imagePath, audioBytes, bytes, dir + "/plain" + std::to_string(s.number), 0,
                         true);
      audioBytes += bytes;
    }
    plains.push_back(plain);
  }

  double mib = audioBytes / (1024.0 * 1024.0);
  std::printf("sample extraction, median of %d rounds\n", kRounds);
  std::printf("extract %.2f MiB: %7.1f ms (%6.0f MiB/s), plain copy %7.1f ms, ratio %.2f\n", mib,
              Median(extracts) * 1000, mib / Median(extracts), Median(plains) * 1000,
              Median(extracts) / Median(plains));
  program.files.close(driver.device(0).file);
  std::system(("rm -rf " + dir).c_str());
  return 0;
}
