#include "media/wav_to_floppy.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "core/context.h"
#include "esifs/keystream.h"
#include "media/floppy_image.h"

namespace {

constexpr int kTemplateId = 204;
constexpr char kNoTemplate[] = "Unable to create disk information sector";
constexpr char kNoTransfer[] = "Unable to transfer file";
constexpr char kWriteFailed[] = "Unable to write to floppy";
constexpr char kCreateFailed[] = "Unable to create Windows file";
constexpr char kNotFloppy[] = "The disk in the drive is not a 1.44 MB floppy";
constexpr char kSizeUnknown[] = "Unable to read the size of the disk in the drive";

using Buffer = std::unique_ptr<std::uint8_t[]>;

// Zero-filled, or null when the memory is not there (or the size does not
// even fit the address space).
Buffer allocate(std::uint64_t bytes) {
  if (bytes == 0 || bytes > SIZE_MAX)
    return nullptr;
  return Buffer(new (std::nothrow) std::uint8_t[std::size_t(bytes)]());
}

// Closes the WAV file and clears the busy flag: declared first in a run, so
// it is the last thing to go, after the buffers.
struct EndOfRun {
  Context& ctx;
  ~EndOfRun() {
    if (ctx.openFile != kNoFile)
      ctx.files.close(ctx.openFile);
    ctx.openFile = kNoFile;
    ctx.busy = 0;
  }
};

// One floppy set, built and ready to be cut into disks.
struct FloppySet {
  int page = 0;
  FloppySetSize size{};
  Buffer disk, logical, fileImage;
  std::uint8_t sector0[kSectorSize] = {};
};

void printAt(LcdDisplay& lcd, int column, int row, const char* text) {
  lcd.LcdSetCursor(column, row);
  lcd.LcdPrint(text);
}

bool readWholeFile(Files& files, FileHandle file, std::uint64_t length, std::uint8_t* image,
                   LcdDisplay& lcd) {
  if (!files.seek(file, 0))
    return false;
  for (std::uint64_t at = 0; at < length;) {
    std::uint32_t piece =
        std::uint32_t(length - at < kFloppyCylinderBytes ? length - at : kFloppyCylinderBytes);
    std::uint32_t got = 0;
    if (!files.read(file, image + at, piece, &got) || got != piece)
      return false;
    at += piece;
    lcd.LcdAdvanceProgress(1);
  }
  return true;
}

// Everything up to the first disk: the template, the file's checks, the
// user's go-ahead (then confirm's), the buffers, the file read and the
// logical image with its sector 0. False when the run ends here.
bool prepareSet(Context& ctx, const std::function<bool(const FloppySetSize&)>& confirm,
                FloppySet* set) {
  LcdDisplay& lcd = ctx.lcd;
  Files& files = ctx.files;
  FileHandle file = ctx.openFile;
  set->page = lcd.LcdCurrentPage();
  std::vector<std::uint8_t> scrambled;
  if (!ctx.host.loadResource("E3X", kTemplateId, &scrambled) ||
      scrambled.size() != kFloppyTemplateSize) {
    ctx.host.message(kNoTemplate);
    return false;
  }

  // Every refusal comes before the question, so nothing is asked of a file
  // that cannot be written.
  WavFormat format;
  WavProblem problem = ReadWavFormat(files, file, &format);
  FloppySetSize size = FloppySetSizeFor(format.audioBytes, format.channels);
  WavLoop loop;
  if (problem == WavProblem::None)
    problem = GetWavLoop(files, file, format, size.len, &loop);
  if (problem == WavProblem::None && format.dataOffset == 0)
    problem = WavProblem::NoAudioData;
  if (problem != WavProblem::None) {
    ctx.host.message(WavProblemText(problem));
    return false;
  }

  char text[64];
  std::snprintf(text, sizeof text, "This will use %u disk%s", size.disks,
                size.disks > 1 ? "s" : "");
  if (!ctx.host.askOkCancel(text) || !confirm(size))
    return false;

  set->size = size;
  set->disk = allocate(kFloppyDiskBytes);
  set->logical = allocate(size.bytes);
  set->fileImage = allocate(format.fileLength);
  bool allocated = true;
  for (const Buffer* b : {&set->disk, &set->logical, &set->fileImage}) {
    if (!*b) {
      ctx.host.message(kNoTransfer);
      allocated = false;
    }
  }
  if (!allocated)
    return false;

  lcd.LcdBeginProgress();
  std::uint64_t pieces = (format.fileLength + kFloppyCylinderBytes - 1) / kFloppyCylinderBytes;
  lcd.LcdSetProgressRange(0, int(pieces + size.bytes / kFloppyCylinderBytes + 1));
  lcd.LcdAdvanceProgress(1);
  printAt(lcd, 0, 0, "Saving WAV file to ESi floppy");
  printAt(lcd, 0, 2, "Reading WAV file");
  // A file that cannot be read whole would put silence or noise on the disks.
  if (!readWholeFile(files, file, format.fileLength, set->fileImage.get(), lcd)) {
    ctx.host.message(kNoTransfer);
    return false;
  }
  lcd.LcdClearLine(2, true);
  printAt(lcd, 0, 2, "Converting data");

  // The stored template stays as it is: a working copy is unscrambled.
  std::vector<std::uint8_t> plain = scrambled;
  BankKeystream(plain.data(), kFloppyTemplateSize, 0);
  FloppySample sample{format.channels,
                      format.rate,
                      format.audioBytes,
                      loop,
                      set->fileImage.get() + format.dataOffset,
                      format.fileLength - format.dataOffset};
  BuildFloppyImage(plain.data(), sample, size, set->sector0, set->logical.get());
  lcd.LcdClearLine(2, true);
  return true;
}

// Makes the disk's contents and shows which disk it is; its cylinder count.
int startDisk(Context& ctx, FloppySet& set, std::uint32_t disk) {
  int cylinders = PrepareFloppyDisk(set.size, set.sector0, set.logical.get(), disk, set.disk.get());
  ctx.lcd.LcdClearLine(2, false);
  char text[48];
  std::snprintf(text, sizeof text, "Disk %u of %u", disk, set.size.disks);
  printAt(ctx.lcd, 0, 2, text);
  return cylinders;
}

void showCylinder(LcdDisplay& lcd, int cylinder) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2d", cylinder);
  printAt(lcd, 38, 2, text);
}

}  // namespace

void WriteWavToFloppies(Context& ctx, int node) {
  EndOfRun end{ctx};
  FloppySet set;
  if (!ctx.nodes.valid(node) || !prepareSet(
                                    ctx, [](const FloppySetSize&) { return true; }, &set))
    return;
  const int diskOs = ctx.nodes[node].diskOs;
  const int device = ctx.nodes[node].device;
  bool ok = true;
  for (std::uint32_t k = 1; ok && k <= set.size.disks; ++k) {
    int cylinders = startDisk(ctx, set, k);
    char question[32];
    std::snprintf(question, sizeof question, "Insert disk %u", k);
    if (!ctx.host.askOkCancel(question)) {
      ok = false;
      break;
    }
    // A device that does not open fails at the first cylinder's write; a
    // medium that is not, or may not be, a 1.44 MB floppy is never written.
    FloppyOpen opened = OpenFloppyDevice(ctx, diskOs, device);
    if (opened == FloppyOpen::NotFloppy || opened == FloppyOpen::SizeUnknown) {
      ctx.host.message(opened == FloppyOpen::NotFloppy ? kNotFloppy : kSizeUnknown);
      ok = false;
    }
    for (int c = 0; ok && c < cylinders; ++c) {
      showCylinder(ctx.lcd, c);
      ok = WriteFloppyCylinder(ctx, diskOs, device, c, set.disk.get() + c * kFloppyCylinderBytes);
      if (ok)
        ctx.lcd.LcdAdvanceProgress(1);
      else
        ctx.host.message(kWriteFailed);
    }
    CloseFloppyDevice(ctx);
  }
  if (ok)
    ctx.lcd.LcdSelectPage(set.page);
}

std::string FloppyImageName(const std::string& imagePath, int disk, int disks) {
  if (disks <= 1)
    return imagePath;
  std::string base = imagePath;
  static const char kExtension[] = ".img";
  if (base.size() >= 4) {
    std::string tail = base.substr(base.size() - 4);
    for (char& ch : tail)
      ch = char(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    if (tail == kExtension)
      base.resize(base.size() - 4);
  }
  return base + "-" + std::to_string(disk) + kExtension;
}

void WriteWavToFloppyImages(Context& ctx, int node, const std::string& imagePath) {
  EndOfRun end{ctx};
  Files& files = ctx.files;
  std::vector<std::string> names;
  // The save dialog asked about the name chosen; the numbered names of a
  // larger set are asked about here, before anything is written.
  auto confirm = [&](const FloppySetSize& size) {
    for (std::uint32_t k = 1; k <= size.disks; ++k) {
      names.push_back(FloppyImageName(imagePath, int(k), int(size.disks)));
      if (size.disks > 1 && FileExists(files, names.back()) &&
          !ctx.host.askOkCancel(names.back() + " already exists.\nDo you want to replace it?"))
        return false;
    }
    return true;
  };
  FloppySet set;
  if (!ctx.nodes.valid(node) || !prepareSet(ctx, confirm, &set))
    return;
  static const std::uint8_t zeros[kFloppyCylinderBytes] = {};
  std::vector<std::string> written;
  bool ok = true;
  for (std::uint32_t k = 1; ok && k <= set.size.disks; ++k) {
    int cylinders = startDisk(ctx, set, k);
    FileHandle file = files.open(names[k - 1], FileOpen::CreateAlways);
    if (file == kNoFile) {
      ctx.host.message(kCreateFailed);
      ok = false;
      break;
    }
    written.push_back(names[k - 1]);
    // Cylinders past the set's end are blank, as on a freshly formatted disk.
    for (int c = 0; ok && c < kFloppyCylinders; ++c) {
      if (c < cylinders)
        showCylinder(ctx.lcd, c);
      const std::uint8_t* from = c < cylinders ? set.disk.get() + c * kFloppyCylinderBytes : zeros;
      ok = files.write(file, from, kFloppyCylinderBytes);
      if (ok && c < cylinders)
        ctx.lcd.LcdAdvanceProgress(1);
    }
    files.close(file);
    if (!ok)
      ctx.host.message(kNoTransfer);
  }
  if (!ok) {
    // A partial set is no use in an emulator: it goes whole or not at all.
    for (const std::string& name : written)
      files.remove(name);
    return;
  }
  ctx.lcd.LcdSelectPage(set.page);
}
