// A WAV file written through the real windows onto drive A:, which the test
// prefix maps to an image file, and into a floppy image file: both hold the
// same disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <utility>

#include "audio/wav.h"
#include "tests/win32/ui_driver.h"

namespace {

using Texts = std::vector<std::string>;
const char kDriveImage[] = "C:\\floppy-a.img";

class FloppyWindow : public ShellWindow {
 protected:
  void SetUp() override {
    realFloppy = true;
    ShellWindow::SetUp();
  }
};

TEST_F(FloppyWindow, WritesAWavFileOntoDriveAAndIntoAnImageFile) {
  ASSERT_TRUE(std::ofstream(kDriveImage, std::ios::binary)
                  .write(std::string(1474560, '\0').data(), 1474560)
                  .flush());
  ASSERT_EQ(floppyDrives->deviceCount(), 1) << "drive A: is missing from the test prefix";
  int driveA = floppyDrives->device(0).node;
  int images = nodeNamed("Floppy image files");
  // A mono sample of 100 000 frames, words 0, 1, 2...
  WavHeader h = MakeWavHeader(1, 44100, 16, 100000);
  Bytes wav(h.bytes, h.bytes + kWavHeaderSize);
  for (std::uint32_t j = 0; j < 100000; ++j)
    wav.insert(wav.end(), {std::uint8_t(j), std::uint8_t(j >> 8)});
  std::string wavPath = tempFile("korrin_floppy.wav", wav);
  std::string imagePath = tempFile("korrin_floppy.img");

  // Windows 9x (Wine set to win98) writes drive A: through the BIOS disk
  // service of vwin32, which Wine opens but does not carry out: Korrin says
  // so, and the drive stays blank.
  const bool windows9x = (GetVersion() & 0x80000000) != 0;
  Texts driveTexts{"This will use 1 disk", "Insert disk 1"};
  if (windows9x)
    driveTexts.push_back("Unable to write to floppy");
  expand(floppyDrives->driverNode());
  ASSERT_TRUE(onTree(driveA, CmdImportWav, {choosePath(wavPath)}));
  EXPECT_EQ(workerTexts, driveTexts);
  workerTexts.clear();
  ASSERT_TRUE(onTree(images, CmdImportWav, {choosePath(wavPath), choosePath(imagePath)}));
  EXPECT_EQ(workerTexts, Texts{"This will use 1 disk"});

  Bytes disk = readFile(imagePath);
  ASSERT_EQ(disk.size(), 1474560u);
  Bytes drive = readFile(kDriveImage);
  if (windows9x)
    EXPECT_EQ(std::count(drive.begin(), drive.end(), 0), 1474560);
  else
    EXPECT_EQ(drive, disk);
  // Sector 0 numbers the disk; the rate stands in the sample header; the
  // audio follows the template, most significant byte first; 17 cylinders.
  EXPECT_EQ(Bytes(disk.begin() + 40, disk.begin() + 48), (Bytes{0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_EQ(Bytes(disk.begin() + 11920, disk.begin() + 11924), (Bytes{0, 0, 0xAC, 0x44}));
  EXPECT_EQ(Bytes(disk.begin() + 104032 + 2 * 258, disk.begin() + 104032 + 2 * 258 + 2),
            (Bytes{0x01, 0x02}));
  EXPECT_EQ(std::count(disk.begin() + 17 * 18432, disk.end(), 0), 1474560 - 17 * 18432);

  // A drive A: that is no 1.44 MB floppy (here a larger image, as a USB
  // stick would be), or whose size cannot be read (an empty image), is never
  // written; on 9x the BIOS disk service refuses before the size is asked.
  const std::pair<std::size_t, const char*> others[] = {
      {2 * 1474560, "The disk in the drive is not a 1.44 MB floppy"},
      {0, "Unable to read the size of the disk in the drive"}};
  for (const auto& [size, message] : others) {
    ASSERT_TRUE(std::ofstream(kDriveImage, std::ios::binary)
                    .write(std::string(size, '\0').data(), std::streamsize(size))
                    .flush());
    workerTexts.clear();
    ASSERT_TRUE(onTree(driveA, CmdImportWav, {choosePath(wavPath)}));
    EXPECT_EQ(workerTexts, (Texts{"This will use 1 disk", "Insert disk 1",
                                  windows9x ? "Unable to write to floppy" : message}));
    disk = readFile(kDriveImage);
    EXPECT_EQ(std::count(disk.begin(), disk.end(), 0), std::ptrdiff_t(size));
    EXPECT_EQ(disk.size(), size);
  }
}

}  // namespace
