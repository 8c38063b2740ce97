// Lists and extracts the samples of a hostile bank, both from a bank file and
// through its chain on a disk. The bank is one of three samples built by
// Korrin, patched by the input: header words, table words, sample header
// words, its length, its chain. What the listing calls sound must lie inside
// the bank apart from every other entry, both readings must agree, and an
// extracted WAV file must hold exactly the frames listed. Input: a patch
// count, 7-byte patches, then a 16-bit length and a BAT entry.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "esifs/bank_builder.h"
#include "esifs/bank_bytes.h"
#include "esifs/bank_contents.h"
#include "esifs/sample_extract.h"
#include "tests/support/memory_disk.h"
#include "tests/support/wav_bytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void require(bool ok) {
  if (!ok)
    std::abort();
}

const Bytes& baseBank() {
  static const Bytes bank = [] {
    TestContext t;
    std::vector<std::string> paths;
    for (auto [frames, channels, loop] :
         {std::tuple{40u, 1, true}, {30u, 2, false}, {30000u, 1, true}}) {
      WavChunks chunks{{"data", Bytes(2 * frames * channels, 0x35)}};
      if (loop)
        chunks.push_back({"smpl", SmplBody(60, 1, 8, frames - 9)});
      paths.push_back("s" + std::to_string(paths.size()) + ".wav");
      t.files.data(paths.back()) = RiffFile(channels, chunks);
    }
    BankPlan plan;
    std::string why;
    require(PlanBank(t.files, paths, "FUZZ", &plan, &why));
    Bytes b(plan.size);
    require(BankBuilder(t.files, plan).read(b.data(), plan.size));
    return b;
  }();
  return bank;
}

// Lists the bank and extracts its sound samples; answers what it found.
std::string examine(TestContext& t, BankBytes& bytes, std::uint32_t bankSize) {
  BankContents c;
  if (!ReadBankContents(bytes, &c))
    return "unreadable";
  std::string seen = c.name + (c.damaged ? " damaged" : "");
  std::uint64_t reached = 0;
  for (const BankSample& s : c.samples) {
    require(!s.damaged || c.damaged);
    seen += " " + std::to_string(s.number) + (s.damaged ? "d" : s.name);
    if (s.damaged)
      continue;
    require(s.offset >= reached && std::uint64_t{s.offset} + s.size <= bankSize);
    reached = std::uint64_t{s.offset} + s.size;
    // A sample listed as sound lies inside the bank's bytes: it extracts.
    require(ExtractSample(t.ctx, bytes, s, "x.wav") && t.host.messages.empty());
    require(t.files.data("x.wav").size() == 44 + 2ull * s.frames * s.channels + (s.loops ? 68 : 0));
    t.files.remove("x.wav");
  }
  return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto next = [&]() -> std::uint8_t { return size ? (--size, *data++) : 0; };
  Bytes bank = baseBank();
  const std::uint32_t samples[3] = {11123, 11123 + 92 + 80, 11123 + 2 * 92 + 80 + 120};
  for (int n = next() % 12; n > 0; --n) {
    std::uint8_t area = next(), lo = next();
    std::uint32_t v = next() | next() << 8 | next() << 16 | std::uint32_t(next()) << 24;
    std::size_t at = area % 4 == 0   ? lo % 32 * 4
                     : area % 4 == 1 ? 0x17CA + 4 * (lo & 0x80 ? 256 : lo % 4)
                     : area % 4 == 2 ? 0x1BD2 + 4 * (lo & 0x80 ? 999 : lo % 4)
                                     : samples[lo % 3] + 4 * (lo / 3 % 23);
    putLe32(&bank[at], (area & 0x80) ? (getLe32(&bank[at]) + (v & 0xFF)) : v);
  }
  std::uint32_t cut = next() | next() << 8;
  if (cut > 0 && cut < bank.size())
    bank.resize(cut);

  // One disk for the whole run (a context is costly to make), its image
  // fresh for each input.
  static DiskScenario& s = *new DiskScenario(EsiLayout{1, 4, 1, 1, 1});
  static const EsiImage blank = s.image;
  s.image = blank;
  s.tc.files.data("in.e3x") = MakeBankFile(bank);
  auto fromFile = OpenBankFile(s.tc.files, "in.e3x");
  std::string seenInFile = examine(s.tc, *fromFile, std::uint32_t(bank.size()));
  fromFile.reset();

  // The bank takes blocks 1 and 2: a loop, a free block, past the disk, cut short.
  std::uint16_t first = s.image.addBank(0, "FUZZ", bank);
  std::uint8_t entry = next();
  if (entry != 0)
    s.image.setBat(first, entry == 0xFF ? 0x7FFF : entry % 8);
  s.list();
  auto onDisk = OpenBankOnDisk(s.ctx, s.bank(0));
  require(onDisk != nullptr);
  std::string seenOnDisk = examine(s.tc, *onDisk, std::uint32_t(bank.size()));
  // A sound chain reads what the file holds.
  require(entry != 0 || seenOnDisk == seenInFile);
  return 0;
}
