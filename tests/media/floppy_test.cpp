// The floppy driver over the fake drives, and WAV files written onto floppies
// and into floppy image files, checked byte by byte against the layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
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

// loop: none, or the "smpl" chunk's loop start and end frames.
Bytes wavFile(int channels, std::uint32_t audioBytes, std::vector<std::uint32_t> loop = {}) {
  WavHeader h = MakeWavHeader(channels, 22050, 16, audioBytes / 2 / channels);
  Bytes f(h.bytes, h.bytes + kWavHeaderSize);
  for (std::uint32_t j = 0; j < audioBytes / 2 / channels; ++j)
    for (int ch = 0; ch < channels; ++ch)
      f.insert(f.end(), {std::uint8_t(word(j, ch)), std::uint8_t(word(j, ch) >> 8)});
  if (!loop.empty()) {
    std::uint8_t smpl[kSmplChunkSize];
    MakeSmplChunk(loop[0], loop[1], smpl);
    f.insert(f.end(), smpl, smpl + kSmplChunkSize);
  }
  return f;
}

struct FloppyRig {
  TestContext t;
  Context& ctx = t.ctx;
  ImageFloppyBios bios;
  FloppyDriver driver{ctx};
  int driveA = 0, images = 0;  // driveA: the first drive node

  explicit FloppyRig(std::uint32_t driveMask = 1) : bios(driveMask) {
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

// Disk k of a set of n made from a test file: its stamped sector 0, every
// byte past the template where the layout puts it, zeros past its cylinders.
void checkDisk(const Bytes& d, int channels, std::uint32_t len, std::uint32_t k, std::uint32_t n,
               int cylinders) {
  EXPECT_EQ(big32(d, 40), k);
  EXPECT_EQ(big32(d, 44), n);
  EXPECT_EQ(big32(d, 56), (len + 98) * channels + 94);
  // Disk byte b (from 512) holds image offset first + b - 512.
  const std::uint64_t first = 512 + std::uint64_t(k - 1) * 1474048, end = cylinders * 18432u;
  std::size_t wrong = 0;
  for (std::size_t b = 512; b < kDisk && wrong == 0; ++b) {
    std::uint64_t o = first + b - 512;
    if (o >= 104032 && d[b] != (b < end ? audioByte(channels, len, o) : 0))
      wrong = b;
  }
  EXPECT_EQ(wrong, 0u) << "disk " << k << " of " << n;
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

// Mono and stereo sets of one and two disks: the questions, every byte of
// each disk and the sample header (image offsets 11884..11935). Around
// 1 388 450 mono bytes the sector 0 of disk 2 pushes the last word onto a
// second cylinder. Loop points of a "smpl" chunk past the audio are pulled
// onto it; end fields of short samples and loops stay at 0, never wrap.
TEST(WavToFloppy, WritesEachDiskOfTheSetWithItsOwnSectorZero) {
  struct Case {
    int channels;
    std::uint32_t audioBytes;
    std::vector<int> cylinders;
    std::vector<std::uint32_t> loop;
    std::uint32_t loopStartField, loopEndField;
  };
  for (const Case& c :
       {Case{1, 1000000, {60}, {}, 12, 999990},
        Case{1, 2000000, {80, 35}, {1000, 1999}, 1012, 1990}, Case{2, 400, {6}, {}, 12, 190},
        Case{1, 1388448, {80, 1}, {}, 12, 1388438}, Case{1, 1388450, {80, 2}, {}, 12, 1388440},
        Case{1, 8, {6}, {}, 12, 0}, Case{1, 4000, {6}, {0, 3}, 12, 0},
        Case{1, 4000, {6}, {1500, 2000}, 1512, 1990},
        Case{2, 4000, {6}, {5000, 9000}, 1011, 990}}) {
    FloppyRig r;
    r.import(wavFile(c.channels, c.audioBytes, c.loop));
    const std::uint32_t n = std::uint32_t(c.cylinders.size()), len = c.audioBytes / c.channels;
    EXPECT_EQ(r.t.host.questions,
              (n == 1 ? Texts{"This will use 1 disk", "Insert disk 1"}
                      : Texts{"This will use 2 disks", "Insert disk 1", "Insert disk 2"}));
    EXPECT_EQ(r.t.host.messages, Texts{});
    ASSERT_EQ(r.bios.disks.size(), n) << c.audioBytes;
    for (std::uint32_t k = 1; k <= n; ++k)
      checkDisk(r.bios.disks[k - 1], c.channels, len, k, n, c.cylinders[k - 1]);
    const std::uint32_t stereo = c.channels == 2;
    const std::uint32_t flags = (stereo ? 0x00011E00 : 0x00011A00) | (c.loop.empty() ? 0 : 0x4000);
    std::vector<std::uint32_t> header{0, 0, 0};
    for (std::uint32_t v : {len + 6, c.loopStartField, c.loopEndField})
      header.insert(header.end(), {v, stereo * v});
    header.insert(header.end(), {22050, flags, 92, stereo * (len + 190)});
    for (std::size_t i = 0; i < header.size(); ++i)
      EXPECT_EQ(big32(r.bios.disks[0], 11884 + 4 * i), header[i]) << c.audioBytes << " " << i;
  }
}

// A set that stops keeps the disks written before it and leaves the progress
// page up: cancelled at disk 2 of 2; disk 2 of 3 write-protected on a PC
// with drive B only (B's drive number, never the device's, is opened and
// written); a medium that is no 1.44 MB floppy, or of unknown size, is not
// written at all.
TEST(WavToFloppy, ASetThatStopsKeepsTheDisksWrittenBefore) {
  struct Case {
    std::uint32_t mask;  // the PC's drives: 1 = A: only, 2 = B: only
    std::size_t cancelAt, protectedDisk;
    FloppyOpen open;
    std::uint32_t disks, opens;
    const char* message;
  };
  const Case cases[] = {
      {1, 2, 0, FloppyOpen::Opened, 2, 1, nullptr},
      {2, 0, 2, FloppyOpen::Opened, 3, 2, "Unable to write to floppy"},
      {1, 0, 0, FloppyOpen::NotFloppy, 2, 1, "The disk in the drive is not a 1.44 MB floppy"},
      {1, 0, 0, FloppyOpen::SizeUnknown, 2, 1, "Unable to read the size of the disk in the drive"}};
  for (const Case& c : cases) {
    FloppyRig r(c.mask);
    const int drive = c.mask == 2 ? 1 : 0;
    EXPECT_EQ(r.ctx.nodes[r.driveA].name, std::string(drive ? "Drive B" : "Drive A"));
    if (c.cancelAt != 0)
      r.t.host.answers.assign(c.cancelAt, true), r.t.host.answers.push_back(false);
    r.bios.protectedDisk = c.protectedDisk;
    r.bios.openAnswer = c.open;
    r.import(wavFile(1, c.disks * 1000000));
    Texts asked{"This will use " + std::to_string(c.disks) + " disks"};
    for (std::size_t k = 1; k <= std::max<std::size_t>(c.cancelAt, c.opens); ++k)
      asked.push_back("Insert disk " + std::to_string(k));
    EXPECT_EQ(r.t.host.questions, asked);
    EXPECT_EQ(r.t.host.messages, c.message ? Texts{c.message} : Texts{});
    EXPECT_EQ(r.bios.opened, std::vector<int>(c.opens, drive));
    for (const FloppyAttempt& a : r.bios.attempts)
      EXPECT_EQ(a.drive, drive);
    EXPECT_EQ(r.ctx.lcd.LcdCurrentPage(), 9);
    ASSERT_EQ(r.bios.disks.size(), c.open == FloppyOpen::Opened ? c.opens : 0u);
    if (!r.bios.disks.empty())
      checkDisk(r.bios.disks[0], 1, c.disks * 1000000, 1, c.disks, 80);
    if (r.bios.disks.size() > 1) {
      EXPECT_EQ(std::count(r.bios.disks[1].begin(), r.bios.disks[1].end(), 0),
                std::ptrdiff_t(kDisk));
    }
  }
}

// The image files of a set are what the drive got, and a set that fails to
// write leaves no files behind.
TEST(WavToFloppy, ImageFilesMatchTheDriveAndAFailedSetLeavesNone) {
  Bytes wav = wavFile(1, 2000000);
  FloppyRig drive;
  drive.import(wav);
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
    EXPECT_TRUE(refused.bios.opened.empty());
  }
}

}  // namespace
