// The floppy driver over the fake drives, and WAV files written onto floppies
// and into floppy image files, checked byte by byte against the layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wav.h"
#include "media/floppy_driver.h"
#include "media/wav_to_floppy.h"
#include "platform/fake/image_floppy_bios.h"
#include "tests/support/test_context.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;
constexpr std::uint32_t kDisk = 1474560;

std::uint32_t big32(const Bytes& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// Word j of channel ch in the test files, distinct almost everywhere.
std::uint16_t word(std::uint32_t j, int ch) {
  return std::uint16_t(j * 7 + ch * 0x4001 + 1);
}

Bytes wavFile(int channels, std::uint32_t audioBytes, bool loop = false) {
  WavHeader h = MakeWavHeader(channels, 22050, 16, audioBytes / 2 / channels);
  Bytes f(h.bytes, h.bytes + kWavHeaderSize);
  for (std::uint32_t j = 0; j < audioBytes / 2 / channels; ++j)
    for (int ch = 0; ch < channels; ++ch)
      f.insert(f.end(), {std::uint8_t(word(j, ch)), std::uint8_t(word(j, ch) >> 8)});
  if (loop) {
    std::uint8_t smpl[kSmplChunkSize];
    MakeSmplChunk(1000, 1999, smpl);
    f.insert(f.end(), smpl, smpl + kSmplChunkSize);
  }
  return f;
}

struct FloppyRig {
  TestContext t;
  Context& ctx = t.ctx;
  ImageFloppyBios bios{1};
  FloppyDriver driver{ctx};
  int driveA = 0, images = 0;

  FloppyRig() {
    ctx.floppyBios = &bios;
    t.addRoot();
    RegisterDiskOs(ctx, driver);
    ctx.lcd.LcdSetProgressRange(0, 1000);
    DiskOsRequest scan = makeRequest(Scan);
    SendDiskOs(ctx, scan);
    driveA = firstChild(ctx, driver.driverNode());
    images = driveA + 1;
  }
  // Opens the file as the command does and runs the import to its end.
  void import(const Bytes& wav, const std::string& imagePath = "") {
    t.files.data("in.wav") = wav;
    ctx.openFile = t.files.open("in.wav", FileOpen::ReadExisting);
    ctx.busy = 1;
    if (imagePath.empty())
      WriteWavToFloppies(ctx, driveA);
    else
      WriteWavToFloppyImages(ctx, images, imagePath);
    EXPECT_EQ(ctx.busy, 0);
    EXPECT_EQ(t.files.openCount(), 0);
  }
};

// The byte at image offset o (past the template) of a test file of len
// bytes per channel: zero in the stereo gap and past the audio.
std::uint8_t audioByte(int channels, std::uint32_t len, std::uint64_t o) {
  std::uint64_t a = o - 104032, ch = channels == 2 && a >= len + 98;
  a -= ch * (len + 98);
  std::uint16_t w = word(std::uint32_t(a / 2), int(ch));
  return a >= len ? 0 : a % 2 == 0 ? std::uint8_t(w >> 8) : std::uint8_t(w);
}

TEST(FloppyDriver, ScansDrivesAndWritesWholeCylindersWithRetries) {
  FloppyRig r;
  EXPECT_EQ(r.ctx.lcd.LcdProgressPosition(), 80);
  EXPECT_STREQ(r.ctx.nodes[r.driveA].name, "Drive A");
  EXPECT_STREQ(r.ctx.nodes[r.images].name, "Floppy image files");

  r.bios.open(0);
  Bytes cylinder(18432);
  for (std::size_t i = 0; i < cylinder.size(); ++i)
    cylinder[i] = std::uint8_t(i / 512 + 1);
  DiskOsRequest w = makeRequest(WriteSectors, 0);
  w.par0 = 71, w.par1 = 36, w.bufI = DiskOsWord(cylinder.data()), w.bIsz = 18432;
  EXPECT_EQ(SendDiskOs(r.ctx, w), 0u);
  EXPECT_EQ(Bytes(r.bios.disks[0].begin() + 18432, r.bios.disks[0].begin() + 36864), cylinder);
  // A buffer of one sector, and a cylinder past the disk (the BIOS would
  // take it for one near the start), are refused before any attempt.
  DiskOsRequest small = w, beyond = w;
  small.par1 = 1, small.bIsz = 512, beyond.par0 = 80 * 36;
  r.bios.attempts.clear();
  EXPECT_EQ(SendDiskOs(r.ctx, small), 256u);
  EXPECT_EQ(SendDiskOs(r.ctx, beyond), 0x8010u);
  EXPECT_EQ(r.bios.attempts.size(), 0u);

  // Disk changed, then five failures: six attempts of head 0, none of head 1.
  r.bios.script = {{true, true, 0x0600}};
  r.bios.script.insert(r.bios.script.end(), 5, FloppyBiosResult{true, true, 0x8000});
  EXPECT_EQ(SendDiskOs(r.ctx, w), 0x8010u);
  EXPECT_EQ(r.bios.attempts.size(), 6u);
  // A drive that only ever says "disk changed" is given up.
  r.bios.script.assign(100, FloppyBiosResult{true, true, 0x0600});
  EXPECT_EQ(r.driver.BiosWriteSectors(0, 0, 0, 1, 18, cylinder.data()), 0x8000u);
}

// Mono and stereo sets of one and two disks: the questions, what each disk
// holds at its edges, and the stamped sector 0 of each.
TEST(WavToFloppy, WritesEachDiskOfTheSetWithItsOwnSectorZero) {
  struct Case {
    int channels;
    std::uint32_t audioBytes;
    bool loop;
    std::vector<int> cylinders;
  };  // D = 1 000 000 and 2 000 000 mono, 400 stereo
  for (const Case& c : {Case{1, 1000000, false, {60}}, Case{1, 2000000, true, {80, 35}},
                        Case{2, 400, false, {6}}}) {
    FloppyRig r;
    r.import(wavFile(c.channels, c.audioBytes, c.loop));
    const std::uint32_t n = std::uint32_t(c.cylinders.size()), len = c.audioBytes / c.channels;
    EXPECT_EQ(r.t.host.questions,
              (n == 1 ? Texts{"This will use 1 disk", "Insert disk 1"}
                      : Texts{"This will use 2 disks", "Insert disk 1", "Insert disk 2"}));
    EXPECT_EQ(r.t.host.messages, Texts{});
    ASSERT_EQ(r.bios.disks.size(), n);
    for (std::uint32_t k = 1; k <= n; ++k) {
      const Bytes& d = r.bios.disks[k - 1];
      EXPECT_EQ(big32(d, 40), k);
      EXPECT_EQ(big32(d, 44), n);
      EXPECT_EQ(big32(d, 56), (len + 98) * c.channels + 94);
      // Image offset o lies at first + b - 512 on disk k.
      std::uint64_t first = 512 + std::uint64_t(k - 1) * 1474048;
      std::uint64_t end = c.cylinders[k - 1] * 18432u, h = 104032 + (c.channels - 1) * 98 + 2 * len;
      const std::uint64_t offsets[] = {104032, 104032 + len + 98, h - 1, h, 1474559, 1474560};
      for (std::uint64_t o : offsets) {
        if (o >= first && o < first + end - 512) {
          EXPECT_EQ(d[o - first + 512], audioByte(c.channels, len, o)) << k << " " << o;
        }
      }
      EXPECT_EQ(std::count(d.begin() + end, d.end(), 0), std::ptrdiff_t(kDisk - end));
    }
    // The sample header (image offsets 11884..11935) of the first disk.
    const Bytes& d = r.bios.disks[0];
    std::uint32_t stereo = c.channels == 2;
    std::uint32_t ls = c.loop ? 1000 : 0, le = c.loop ? 2000 : len;
    std::uint32_t flags = (stereo ? 0x00011E00 : 0x00011A00) | (c.loop ? 0x4000 : 0);
    std::vector<std::uint32_t> header{0, 0, 0};
    for (std::uint32_t v : {len + 6, ls + 12, le - 10})
      header.insert(header.end(), {v, stereo * v});
    header.insert(header.end(), {22050, flags, 92, stereo * (len + 190)});
    for (std::size_t i = 0; i < header.size(); ++i)
      EXPECT_EQ(big32(d, 11884 + 4 * i), header[i]) << i;
  }
}

// Cancelling disk 2 keeps disk 1 whole and the progress page up; the image
// files of the same set are what the drive got, and a set that fails to
// write leaves no files behind.
TEST(WavToFloppy, CancelKeepsWrittenDisksAndImageFilesMatchTheDrive) {
  Bytes wav = wavFile(1, 2000000);
  FloppyRig drive;
  drive.import(wav);
  FloppyRig cancelled;
  cancelled.t.host.answers = {true, true, false};
  cancelled.import(wav);
  ASSERT_EQ(cancelled.bios.disks.size(), 1u);
  EXPECT_EQ(cancelled.bios.disks[0], drive.bios.disks[0]);
  EXPECT_EQ(cancelled.ctx.lcd.LcdCurrentPage(), 9);
  EXPECT_EQ(drive.ctx.lcd.LcdCurrentPage(), 0);

  FloppyRig files;
  files.t.files.data("C:\\set-2.img") = {1};
  files.import(wav, "C:\\set.img");
  EXPECT_EQ(files.t.host.questions,
            (Texts{"This will use 2 disks",
                   "C:\\set-2.img already exists.\nDo you want to replace it?"}));
  EXPECT_EQ(files.t.files.data("C:\\set-1.img"), drive.bios.disks[0]);
  EXPECT_EQ(files.t.files.data("C:\\set-2.img"), drive.bios.disks[1]);
  EXPECT_FALSE(files.t.files.exists("C:\\set.img"));

  FloppyRig failing;
  failing.t.files.failWriteAt = 100;
  failing.import(wav, "C:\\bad.img");
  EXPECT_EQ(failing.t.host.messages, Texts{"Unable to transfer file"});
  EXPECT_FALSE(failing.t.files.exists("C:\\bad-1.img") || failing.t.files.exists("C:\\bad-2.img"));
}

// A file from another program, and files refused before any question.
TEST(WavToFloppy, AcceptsSoxFilesAndRefusesOthersBeforeAsking) {
  const char* path = "/tmp/korrin_floppy_sox.wav";
  std::string command = std::string("sox -n -r 32000 -c 2 -b 16 ") + path + " synth 0.05 sine 440";
  if (std::system(command.c_str()) != 0)
    GTEST_SKIP() << "sox is not installed";
  std::ifstream in(path, std::ios::binary);
  FloppyRig r;
  r.import(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  std::remove(path);
  ASSERT_EQ(r.bios.disks.size(), 1u);
  EXPECT_EQ(big32(r.bios.disks[0], 11920), 32000u);
  EXPECT_EQ(big32(r.bios.disks[0], 11932), 1600 * 2 + 190u);

  Bytes eightBit = wavFile(1, 100), noData = wavFile(1, 0);
  eightBit[34] = 8;
  noData[36] = 'x';
  for (const Bytes& wav : {eightBit, noData}) {
    FloppyRig refused;
    refused.import(wav);
    EXPECT_EQ(refused.t.host.questions, Texts{});
    EXPECT_EQ(refused.bios.opens, 0);
  }
}

}  // namespace
