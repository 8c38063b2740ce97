// Banks built from WAV files, listed and extracted, judged by a reader of the
// tests' own written from the bank layout note: what the WAV files held
// comes back, the bytes are the ones the note's rules give, and a bank whose
// tables point where they must not is called damaged without being read
// past its end (the sanitizer build watches the reads).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "esifs/bank_builder.h"
#include "esifs/bank_bytes.h"
#include "esifs/bank_contents.h"
#include "esifs/sample_extract.h"
#include "tests/support/memory_disk.h"
#include "tests/support/wav_bytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Messages = std::vector<std::string>;
const char kBankFile[] = "C:\\Banks\\new.e3x";
const char kWav[] = "C:\\Out\\s.wav";

std::uint32_t le(const Bytes& b, std::size_t at, int n = 4) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i)
    v = v << 8 | b.at(at + i);
  return v;
}
void put(Bytes& b, std::size_t at, std::uint32_t v, int n = 4) {
  for (int i = 0; i < n; ++i)
    b.at(at + i) = std::uint8_t(v >> 8 * i);
}

// A WAV file to build from: its frames (interleaved) and loop, if any.
struct Source {
  const char* path;
  int channels;
  std::uint32_t rate, frames;
  int loopType;  // -1: no "smpl" chunk
  std::uint32_t loopStart, loopLast;
  std::vector<std::int16_t> words() const {
    std::vector<std::int16_t> w(frames * channels);
    for (std::size_t i = 0; i < w.size(); ++i)
      w[i] = std::int16_t(i * 2654435761u >> 13 ^ rate);
    return w;
  }
  Bytes file() const {
    Bytes audio;
    for (std::int16_t w : words())
      audio.insert(audio.end(), {std::uint8_t(w), std::uint8_t(w >> 8)});
    WavChunks chunks{{"data", audio}};
    if (loopType >= 0) {
      chunks.push_back({"smpl", SmplBody(60, 1, loopStart, loopLast)});
      chunks.back().second[40] = std::uint8_t(loopType);
    }
    Bytes f = RiffFile(channels, chunks);
    put(f, 24, rate);
    put(f, 28, rate * 2 * channels);
    return f;
  }
  // The loop points the note's rules give, in frames.
  std::uint32_t clamp(std::uint32_t p) const { return p < 6 ? 6 : p > frames - 7 ? frames - 7 : p; }
  std::uint32_t start() const { return clamp(loopType >= 0 ? loopStart : 0); }
  std::uint32_t last() const { return clamp(loopType >= 0 ? loopLast : frames); }
};

// The note's empty bank, with its name.
Bytes emptyBank(const char* name16) {
  Bytes b(11123);
  std::memcpy(&b[0], "EMU SI-32 v3   ", 16);
  std::memcpy(&b[0x10], name16, 16);
  std::memcpy(&b[0x4C], name16, 16);
  const std::vector<std::pair<std::size_t, Bytes>> set = {
      {0x20, {0x19, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}},
      {0x30, {0x27, 0x2b}},
      {0x3A, {0x80}},
      {0x3C, {0x16}},
      {0x48, {0x16}},
      {0x5C, {0xff, 0xff, 0xff, 0xff, 1}},
      {0x6E2, {0xff, 0xff, 0, 0, 0, 0xfe, 0xff, 0xff, 0x28, 0, 2, 0, 5}},
      {0x6F6, {0xff, 0xff, 0, 0, 0, 0xfe, 0xff, 0xff, 0x28, 0, 2, 0, 5}},
      {0xE96, {0x54, 0x4d, 0x37, 0x70, 1,    0,    0x27, 0x70, 1,    0,    0x29, 0x70, 1,    0,
               0x2b, 0x70, 1,    0,    0x2c, 0x70, 1,    0,    0x2e, 0x70, 1,    0,    0x30, 0x70,
               1,    0,    0x32, 0x70, 1,    0,    0x33, 0x70, 1,    0,    0x35, 0x70, 1}},
      {0x2B6E, {0, 0, 0x40, 0, 0xee}}};
  for (auto& [at, bytes] : set)
    std::copy(bytes.begin(), bytes.end(), b.begin() + at);
  for (std::size_t at = 0x6C; at < 0x200; at += 4)
    put(b, at, 0x0001A6FE);
  std::fill(&b[0x76C], &b[0x76C + 17], 0x7F);
  std::fill(&b[0x78E], &b[0x78E + 16], 0xFF);
  return b;
}

// The bank the note's rules give for these files, already in name order.
Bytes noteBank(const char* name16, const std::vector<Source>& sources) {
  Bytes b = emptyBank(name16);
  for (std::size_t n = 0; n < sources.size(); ++n) {
    const Source& s = sources[n];
    std::uint32_t at = std::uint32_t(b.size()), rel = at - 11123, f = s.frames, st = s.channels;
    b.resize(at + 92 + 2 * f * st);
    std::string name = std::string(s.path).substr(8);
    name = (name.substr(0, name.rfind('.')) + std::string(16, ' ')).substr(0, 16);
    std::memcpy(&b[at], name.data(), 16);
    bool loops = s.loopType == 0;
    std::vector<std::int16_t> words = s.words();
    for (std::uint32_t c = 0; c < st; ++c) {
      for (auto [field, v] : {std::pair{20u, 92u},
                              {28u, 90 + 2 * f},
                              {36u, 92 + 2 * s.start()},
                              {44u, 92 + 2 * s.last()},
                              {60u, rel - 2 * std::uint32_t(n) + 92}})
        put(b, at + field + 4 * c, v + 2 * f * c);
      for (std::uint32_t i = 2; i + 2 < f; ++i)
        put(b, at + 92 + 2 * (c * f + i), std::uint16_t(words[i * st + c]), 2);
    }
    put(b, at + 52, s.rate);
    put(b, at + 56, s.rate == 44100 ? 0 : 0xF800 | int(-9799 + 1108 * std::log(s.rate)), 2);
    put(b, at + 58, (loops ? 9 : 0) | 0x20 | (st == 2 ? 0x40 : 0), 2);
    put(b, 0x20, 26 + std::uint32_t(n));
    put(b, 0x1BD2 + 4 * n, 0x400000 + rel);
  }
  std::uint32_t end = std::uint32_t(b.size()) - 11123,
                blocks = (std::uint32_t(b.size()) + 511) / 512;
  put(b, 0x1BD2 + 4 * 999, 0x400000 + end);
  put(b, 0x34, end);
  put(b, 0x40, blocks - 22);
  put(b, 0x48, blocks);
  return b;
}

struct Built : DiskScenario {
  explicit Built(const std::vector<Source>& sources) {
    std::vector<std::string> paths;
    for (const Source& s : sources) {
      tc.files.data(s.path) = s.file();
      paths.push_back(s.path);
    }
    std::string why;
    EXPECT_TRUE(PlanBank(tc.files, paths, "NEW BANK", &plan, &why)) << why;
    ctx.busy = 1;
    ImportNewBank(ctx, device, plan);
    EXPECT_TRUE(WriteBankFile(ctx, plan, kBankFile));
    EXPECT_EQ(tc.host.messages, Messages{});
    EXPECT_EQ(leftOver(), "");
  }
  Bytes onDisk() { return image.bankData(swap16(node(bank(0)).bankWord), node(bank(0)).size); }
  BankPlan plan;
};

const std::vector<Source> kSources = {
    {"C:\\Wavs\\Kick.wav", 1, 44100, 3000, 0, 100, 2000},
    {"C:\\Wavs\\pad.WAV", 2, 22050, 2500, -1, 0, 0},
    {"C:\\Wavs\\Strings long.wav", 2, 7000, 20000, 0, 2, 19999},  // clamped; units cross
    {"C:\\Wavs\\zz.wav", 1, 32000, 20, 1, 8, 12},      // a ping-pong loop: kept, not looping
    {"C:\\Wavs\\zzz.wav", 1, 44100, 40000, -1, 0, 0},  // mono past one write
};

TEST(BankContents, WavFilesComeBackFromABankOnDiskOrInAFileAsTheyWent) {
  // Listed out of order: the bank takes them by name, without regard to case.
  Built s({kSources[3], kSources[1], kSources[4], kSources[0], kSources[2]});
  Bytes bank = s.onDisk();
  ASSERT_EQ(bank, noteBank("NEW BANK        ", kSources));
  EXPECT_EQ(s.tc.files.data(kBankFile), MakeBankFile(bank));

  for (bool fromFile : {false, true}) {
    s.driver.transfers.clear();
    auto bytes = fromFile ? OpenBankFile(s.tc.files, kBankFile) : OpenBankOnDisk(s.ctx, s.bank(0));
    BankContents contents;
    ASSERT_TRUE(bytes && ReadBankContents(*bytes, &contents));
    // The table, the first unit, then a request for each header it does not hold.
    EXPECT_LE(s.driver.transfers.size(), fromFile ? 0u : 6u);
    EXPECT_FALSE(contents.damaged);
    EXPECT_EQ(contents.name, "NEW BANK");
    ASSERT_EQ(contents.samples.size(), kSources.size());
    for (std::size_t n = 0; n < kSources.size(); ++n) {
      const Source& src = kSources[n];
      const BankSample& got = contents.samples[n];
      SCOPED_TRACE(src.path);
      std::string file = std::string(src.path).substr(8);
      EXPECT_EQ(ExtractFileName(got),
                std::to_string(1001 + n).substr(1) + " " + file.erase(file.rfind('.')) + ".wav");
      ASSERT_TRUE(ExtractSample(s.ctx, *bytes, got, kWav));
      const Bytes& wav = s.tc.files.data(kWav);
      std::uint32_t audioBytes = src.frames * src.channels * 2;
      bool loops = src.loopType == 0;
      ASSERT_EQ(wav.size(), 44 + audioBytes + (loops ? 68 : 0));
      Bytes original = src.file();
      EXPECT_EQ(Bytes(wav.begin() + 8, wav.begin() + 44),
                Bytes(original.begin() + 8, original.begin() + 44));
      std::vector<std::int16_t> words = src.words();
      for (std::uint32_t i = 0; i < src.frames * src.channels; ++i) {
        bool zeroed = i / src.channels < 2 || i / src.channels >= src.frames - 2;
        ASSERT_EQ(std::int16_t(le(wav, 44 + 2 * i, 2)), zeroed ? 0 : words[i]) << i;
      }
      // Other programs read the stereo loop too (the Windows runs have no sox).
      if (loops && src.channels == 2 && !RunTool("sox --version").empty()) {
        std::string path = testing::TempDir() + "korrin_extracted.wav";
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(wav.data(), 1, wav.size(), f);
        std::fclose(f);
        EXPECT_EQ(RunTool("sox " + path + " -t raw -e signed -b 16 -L -"),
                  std::string(wav.begin() + 44, wav.begin() + 44 + audioBytes));
        EXPECT_NE(RunTool("sndfile-info " + path).find("Start :     6  End : 19993"),
                  std::string::npos);
      }
      if (loops) {
        EXPECT_EQ(std::string(&wav[44 + audioBytes], &wav[48 + audioBytes]), "smpl");
        EXPECT_EQ(le(wav, 44 + audioBytes + 52), src.start());
        EXPECT_EQ(le(wav, 44 + audioBytes + 56), src.last());
      }
    }
  }
  EXPECT_EQ(s.tc.host.messages, Messages{});
}

TEST(BankContents, ImportEmptyBankPutsTheCompleteEmptyBankOnTheDisk) {
  DiskScenario s;
  s.ctx.busy = 1;
  ImportEmptyBank(s.ctx, s.device);
  ASSERT_NE(s.bank(0), 0);
  EXPECT_EQ(s.image.bankData(swap16(s.node(s.bank(0)).bankWord), s.node(s.bank(0)).size),
            emptyBank("EMPTY BANK     X"));
  EXPECT_EQ(s.node(s.bank(0)).name, std::string("EMPTY BANK"));
}

// Fields of a sound bank of two samples (mono, then stereo), each patched to
// point where it must not, with what the listing must then make of it.
TEST(BankContents, TablesThatPointOutsideTheBankOrIntoAnotherEntryAreDamaged) {
  Built s({kSources[0], kSources[1]});
  const Bytes good = s.onDisk();
  const std::uint32_t s1 = 11123, s2 = s1 + 92 + 6000;
  struct Case {
    const char* what;
    std::uint32_t at, value;
    int samples;  // listed
    bool damaged1, damaged2;
  } cases[] = {
      {"sample past the end", 0x1BD2, 0x7FFFFFF0, 2, true, false},
      {"sample before the area", 0x1BD2 + 4, 0x3FFFF0, 2, true, true},
      {"samples overlap", 0x1BD2 + 4, 0x400000 + 50, 2, true, true},
      {"end of samples past the bank", 0x1BD2 + 4 * 999, 0x7FFFFFFF, 2, false, true},
      {"presets past the bank", 0x17CA + 4 * 256, 0xFFFFFF00, 0, false, false},
      {"preset ends before it starts", 0x17CA, 10, 2, false, false},
      {"channel ends past the sample", s1 + 28, 92 + 8000, 2, true, false},
      {"stereo channels share bytes", s2 + 24, 92 + 100, 2, false, true},
      {"loop outside the sample", s1 + 44, 92 + 6000, 2, true, false},
      {"no rate", s1 + 52, 0, 2, true, false},
      {"not a bank", 0, 0, 0, false, false},
      {"cut short", ~0u, 0, 2, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bank = good;
    if (c.at == ~0u)
      bank.resize(s2 + 92 + 5000);
    else
      put(bank, c.at, c.value);
    s.tc.files.data(kBankFile) = MakeBankFile(bank);
    s.tc.host.messages.clear();
    auto bytes = OpenBankFile(s.tc.files, kBankFile);
    BankContents contents;
    ASSERT_TRUE(ReadBankContents(*bytes, &contents));
    EXPECT_TRUE(contents.damaged);
    ASSERT_EQ(int(contents.samples.size()), c.samples);
    for (int n = 0; n < c.samples; ++n) {
      bool damaged = n ? c.damaged2 : c.damaged1;
      EXPECT_EQ(contents.samples[n].damaged, damaged) << n;
      s.tc.files.remove(kWav);
      EXPECT_EQ(ExtractSample(s.ctx, *bytes, contents.samples[n], kWav), !damaged);
      EXPECT_EQ(s.tc.files.exists(kWav), !damaged);
    }
    EXPECT_EQ(s.tc.host.messages.size(), std::size_t(c.damaged1 + c.damaged2));
  }
}

TEST(BankContents, FailuresLeaveNoFileAndWavFilesOutOfRangeAreRefusedFirst) {
  Built s({kSources[2]});
  BankContents contents;
  auto bytes = OpenBankOnDisk(s.ctx, s.bank(0));
  ASSERT_TRUE(bytes && ReadBankContents(*bytes, &contents));
  s.tc.files.failWriteAt = 3;
  EXPECT_FALSE(ExtractSample(s.ctx, *bytes, contents.samples[0], kWav));
  bytes = OpenBankOnDisk(s.ctx, s.bank(0));
  s.driver.failReadAt = 2;
  EXPECT_FALSE(ExtractSample(s.ctx, *bytes, contents.samples[0], kWav));
  EXPECT_FALSE(s.tc.files.exists(kWav));
  EXPECT_EQ(s.tc.host.messages, (Messages{"Error writing Windows file", "Error reading bank"}));
  // A chain that loops back: only the sound blocks are read.
  std::uint16_t first = swap16(s.node(s.bank(0)).bankWord);
  s.image.setBat(first, first);
  bytes = OpenBankOnDisk(s.ctx, s.bank(0));
  ASSERT_TRUE(bytes && ReadBankContents(*bytes, &contents));
  EXPECT_TRUE(contents.damaged && contents.samples.at(0).damaged);

  struct Refused {
    Source wav;
    std::uint8_t bits;
    const char* why;
  } refused[] = {
      {{"C:\\Wavs\\slow.wav", 1, 6999, 100, -1, 0, 0},
       16,
       "slow.wav: Sample rate must be 7000 to 44100 Hz"},
      {{"C:\\Wavs\\fast.wav", 2, 48000, 100, -1, 0, 0},
       16,
       "fast.wav: Sample rate must be 7000 to 44100 Hz"},
      {{"C:\\Wavs\\tiny.wav", 1, 44100, 12, -1, 0, 0}, 16, "tiny.wav: Sample is too short"},
      {{"C:\\Wavs\\8bit.wav", 1, 44100, 100, -1, 0, 0}, 8, "8bit.wav: Sample must be 16 bit"}};
  for (const Refused& r : refused) {
    (s.tc.files.data(r.wav.path) = r.wav.file())[34] = r.bits;
    BankPlan plan;
    std::string message;
    EXPECT_FALSE(PlanBank(s.tc.files, {kSources[2].path, r.wav.path}, "X", &plan, &message));
    EXPECT_EQ(message, r.why);
  }
}

}  // namespace
