#include "esifs/bank_transfer.h"

#include <cstring>
#include <vector>

#include "core/context.h"
#include "esifs/bank_disk.h"
#include "esifs/bank_file.h"
#include "esifs/bank_index.h"
#include "esifs/bat.h"
#include "esifs/chain.h"

static const char* const kFileReadError = "Error reading Windows file";
static const char* const kFileWriteError = "Error writing Windows file";
static const char* const kNoSpace = "Not enough disk space";
static const char* const kIndexReadError = "Error reading Bank Index";

// The lines under a status text that say what is copied where.
static void showCopying(Context& ctx, const std::string& bank, const char* direction,
                        const std::string& device) {
  LcdDisplay& lcd = ctx.lcd;
  ShowStatus(ctx, "Copying bank");
  lcd.LcdNewLine();
  lcd.LcdPrint(bank.c_str());
  lcd.LcdNewLine();
  lcd.LcdNewLine();
  lcd.LcdPrint(direction);
  lcd.LcdNewLine();
  lcd.LcdNewLine();
  lcd.LcdPrint(device.c_str());
}

// The disk and file part of an export; false after a message.
static bool exportToFile(Context& ctx, const BankDisk& disk, const TreeNode& bank) {
  LcdDisplay& lcd = ctx.lcd;
  const DiskInfo& d = disk.info();
  std::uint32_t size = bank.size;
  lcd.LcdSetProgressRange(0, ProgressTotal(std::uint64_t{size} / 512 + d.batCount + 1));
  lcd.LcdAdvanceProgress(1);
  lcd.LcdSetCursor(0, 0);
  lcd.LcdPrint("Reading Bank Allocation Table");
  lcd.LcdHoldFor(15);
  std::vector<std::uint8_t> batBytes(kMaxBatSectors * 512);
  if (!disk.loadBat(batBytes.data()))
    return false;
  Bat bat(batBytes.data(), d.batCount);
  showCopying(ctx, bank.name, "from", disk.deviceName());

  // Only units that hold bytes of the bank are read. A unit past the last
  // byte would carry nothing, and may lie beyond the end of a burned CD or
  // an image file, where reading it fails.
  std::uint32_t unitsPerBlock = disk.blockSectors() / kUnitSectors;
  std::uint64_t units = (std::uint64_t{size} + kUnitBytes - 1) / kUnitBytes;
  std::uint32_t blocksRead =
      static_cast<std::uint32_t>((units + unitsPerBlock - 1) / unitsPerBlock);
  ChainWalk walk = WalkChain(bat, swap16(bank.bankWord), d.blockCount, blocksRead);
  if (walk.status != ChainStatus::Ok && walk.status != ChainStatus::Short) {
    ctx.host.message(kDamagedChain);
    return false;
  }
  // A chain that simply ends early holds the start of the bank: the file gets
  // that much, and the user is told it is not the whole bank.
  std::uint64_t covered = std::uint64_t{walk.blocks.size()} * disk.blockSectors() * 512;
  bool cutShort = covered < size;

  std::vector<std::uint8_t> buffer(kTransferBufferBytes);
  std::uint32_t remaining = size;
  std::uint32_t position = 0;
  for (std::size_t i = 0; i < walk.blocks.size() && remaining > 0; ++i) {
    std::uint32_t sector = 0;
    if (!disk.blockStart(walk.blocks[i], &sector)) {
      ctx.host.message(kDamagedChain);
      return false;
    }
    for (std::uint32_t u = 0; u < unitsPerBlock && remaining > 0; ++u) {
      // A read that succeeds fills the whole unit; no need to clear it first.
      if (!disk.read(sector + u * kUnitSectors, kUnitSectors, buffer.data())) {
        ctx.host.message("Error reading bank");
        return false;
      }
      lcd.LcdAdvanceProgress(kUnitSectors);
      std::uint32_t n = remaining < kUnitBytes ? remaining : kUnitBytes;
      // A chunk whose transformed bytes began with "EMU" would be read back
      // wrongly; the file format has no way to tell, so the copy stops.
      if (!PrepareExportChunk(buffer.data(), n, position)) {
        ctx.host.message("Bank data cannot be stored in a bank file");
        return false;
      }
      if (!ctx.files.write(ctx.openFile, buffer.data(), n)) {
        ctx.host.message(kFileWriteError);
        return false;
      }
      remaining -= n;
      position += n;
    }
  }
  if (cutShort) {
    ctx.host.message(kCutShort);
    return false;
  }
  return true;
}

void ExportBank(Context& ctx, int bankNode) {
  LcdDisplay& lcd = ctx.lcd;
  int page = lcd.LcdCurrentPage();
  lcd.LcdBeginProgress();
  if (ctx.nodes.valid(bankNode) && ctx.nodes[bankNode].type == Bank) {
    BankDisk disk(ctx, bankNode);
    if (disk.found())
      exportToFile(ctx, disk, ctx.nodes[bankNode]);
  }
  lcd.LcdSelectPage(page);
  CloseOpenFile(ctx);
  ctx.busy = 0;
}

// Writes the file's bytes unit by unit into a new chain built in the in-memory
// table. Only data blocks are written; false after a message.
static bool copyIntoChain(Context& ctx, const BankDisk& disk, Bat& bat, ImportSource& source,
                          std::uint32_t size, std::uint16_t* firstBlock) {
  LcdDisplay& lcd = ctx.lcd;
  ChainBuilder chain(bat, disk.info().blockCount);
  std::uint32_t sector = 0;
  if (chain.start() == 0 || !disk.blockStart(chain.current(), &sector)) {
    ctx.host.message(kNoSpace);
    return false;
  }
  *firstBlock = chain.first();
  std::vector<std::uint8_t> buffer(kTransferBufferBytes);
  std::uint32_t left = disk.blockSectors();
  std::uint32_t remaining = size;
  bool last = false;
  while (!last) {
    std::uint32_t n = remaining < kUnitBytes ? remaining : kUnitBytes;
    // The unit is written whole: what follows the file's last byte is zeros.
    std::memset(buffer.data() + n, 0, kUnitBytes - n);
    if (n > 0 && !source.read(buffer.data(), n)) {
      ctx.host.message(kFileReadError);
      return false;
    }
    if (!disk.write(sector, kUnitSectors, buffer.data())) {
      ctx.host.message("Error writing bank");
      return false;
    }
    lcd.LcdAdvanceProgress(kUnitSectors);
    left -= kUnitSectors;
    if (left == 0) {
      // A unit that completes a block always leads to one more block, even
      // after the last unit. Running out here must not link block 0 in.
      if (chain.extend() == 0 || !disk.blockStart(chain.current(), &sector)) {
        ctx.host.message(kNoSpace);
        return false;
      }
      left = disk.blockSectors();
    } else {
      sector += kUnitSectors;
    }
    last = n == remaining;
    remaining -= n;
  }
  return true;
}

// Takes the chosen Bank Index sector into use when it has not been: its File
// Index Reference slot is written and the sector starts empty. A failing FIR
// request is reported and the entry is still written.
static void takeIndexSectorIntoUse(Context& ctx, const BankDisk& disk, std::uint32_t k,
                                   std::uint8_t* sector) {
  LcdDisplay& lcd = ctx.lcd;
  const DiskInfo& d = disk.info();
  std::uint8_t fir[512];
  std::uint32_t at = d.firSector + FirSlotOf(k).sector;
  if (!disk.read(at, 1, fir)) {
    // Writing the sector back now would put whatever the buffer holds over
    // the other slots.
    ctx.host.message("Error reading File Index Reference");
  } else {
    lcd.LcdExtendProgress(1);
    lcd.LcdAdvanceProgress(1);
    WriteFirSlot(fir, k, d.bankIndexSector);
    if (!disk.write(at, 1, fir)) {
      ctx.host.message("Error updating File Index Reference");
    } else {
      lcd.LcdExtendProgress(1);
      lcd.LcdAdvanceProgress(1);
    }
  }
  std::memset(sector, 0, 512);
}

// The disk part of an import; true when the new entry was written.
static bool importToDisk(Context& ctx, const BankDisk& disk, ImportSource& source) {
  LcdDisplay& lcd = ctx.lcd;
  const NodeTable& t = ctx.nodes;
  bool taken[kMaxBanks] = {};
  for (int i = 1; i < t.count; ++i) {
    if (t[i].parent == disk.deviceNode() && t[i].type == Bank && t[i].number >= 0 &&
        t[i].number < kMaxBanks)
      taken[t[i].number] = true;
  }
  int number = LowestFreeBankNumber(taken);
  if (number < 0) {
    ctx.host.message("No free banks on drive");
    return false;
  }

  char name[kBankNameLength];
  std::uint64_t fileSize = 0;
  if (!source.begin(name, &fileSize)) {
    ctx.host.message(kFileReadError);
    return false;
  }
  std::string shownName(name, kBankNameLength);

  const DiskInfo& d = disk.info();
  lcd.LcdSetProgressRange(0,
                          ProgressTotal(fileSize / 512 + 2ull * d.batCount + d.bankIndexCount + 1));
  lcd.LcdAdvanceProgress(1);
  lcd.LcdSetCursor(0, 0);
  lcd.LcdPrint("Reading Bank Allocation Table");
  std::vector<std::uint8_t> batBytes(kMaxBatSectors * 512);
  if (!disk.loadBat(batBytes.data()))
    return false;
  Bat bat(batBytes.data(), d.batCount);
  // Asks for the blocks the copy will really take (a unit that completes a
  // block leads to one more), so the copy never runs out half way.
  if (fileSize > 0xFFFFFFFFu ||
      bat.BatCountFree(d.blockCount) <
          ImportBlocksNeeded(static_cast<std::uint32_t>(fileSize), disk.blockSectors())) {
    ctx.host.message(kNoSpace);
    return false;
  }
  std::uint32_t size = static_cast<std::uint32_t>(fileSize);

  std::uint8_t* sector = ctx.sectorBuffer;
  std::int64_t chosen = -1;
  std::vector<std::uint16_t> chainStarts;
  for (std::uint32_t k = 0; k < d.bankIndexCount; ++k) {
    if (!disk.readIndex(k, sector)) {
      ctx.host.message(kIndexReadError);
      return false;
    }
    lcd.LcdAdvanceProgress(1);
    AddChainStarts(sector, &chainStarts);
    if (chosen < 0 && FirstFreeEntry(sector) >= 0)
      chosen = k;
  }
  // A free block that a bank's chain runs into would be overwritten.
  if (!ChainsAreSound(bat, d.blockCount, chainStarts)) {
    ctx.host.message(kDamagedTable);
    return false;
  }
  if (chosen < 0) {
    ctx.host.message("No free banks on disk");
    return false;
  }
  std::uint32_t k = static_cast<std::uint32_t>(chosen);

  showCopying(ctx, shownName, "to", disk.deviceName());
  std::uint16_t first = 0;
  if (!copyIntoChain(ctx, disk, bat, source, size, &first))
    return false;
  if (!disk.writeBat(batBytes.data())) {
    ctx.host.message(kBatError);
    return false;
  }
  if (!disk.readIndex(k, sector)) {
    ctx.host.message(kIndexReadError);
    return false;
  }
  lcd.LcdAdvanceProgress(1);
  if (IsUnusedIndexSector(sector))
    takeIndexSectorIntoUse(ctx, disk, k, sector);
  int e = FirstFreeEntry(sector);
  if (e < 0) {
    // The sector filled up since it was chosen: the disk changed under us.
    ctx.host.message("No free banks on disk");
    return false;
  }
  EncodeNewBankEntry(
      NewBankEntry(name, static_cast<std::uint16_t>(number), first, size, disk.blockSectors()),
      sector + e * kBankEntrySize);
  if (!disk.writeIndex(k, sector)) {
    ctx.host.message("Error updating Bank Index");
    return false;
  }
  return true;
}

namespace {

// A bank file open in ctx.openFile, its chunks restored as they are read.
class FileSource : public ImportSource {
 public:
  FileSource(Context& ctx, const std::string& fileName) : ctx_(ctx), fileName_(fileName) {}

  bool begin(char name16[kBankNameLength], std::uint64_t* size) override {
    Files& files = ctx_.files;
    FileHandle file = ctx_.openFile;
    std::uint8_t head[kBankNamePeekSize];
    std::uint32_t got = 0;
    if (!files.seek(file, 0) || !files.read(file, head, sizeof head, &got) ||
        !files.size(file, size) || !files.seek(file, 0))
      return false;
    BankFileName(head, got, fileName_, name16);
    return true;
  }

  bool read(std::uint8_t* buffer, std::uint32_t count) override {
    std::uint32_t got = 0;
    if (!ctx_.files.read(ctx_.openFile, buffer, count, &got) || got != count)
      return false;
    RestoreImportChunk(buffer, count, position_);
    position_ += count;
    return true;
  }

 private:
  Context& ctx_;
  std::string fileName_;
  std::uint32_t position_ = 0;
};

}  // namespace

void ImportBankFrom(Context& ctx, int deviceNode, ImportSource& source) {
  LcdDisplay& lcd = ctx.lcd;
  int page = lcd.LcdCurrentPage();
  lcd.LcdBeginProgress();
  bool imported = false;
  int device = 0;
  if (ctx.nodes.valid(deviceNode) && isDeviceType(ctx.nodes[deviceNode].type)) {
    BankDisk disk(ctx, deviceNode);
    device = disk.deviceNode();
    if (disk.found())
      imported = importToDisk(ctx, disk, source);
  }
  lcd.LcdSelectPage(page);
  CloseOpenFile(ctx);
  // The refresh clears the busy flag when it has listed the device.
  if (imported) {
    refreshDevice(ctx, device, false);
  } else {
    ctx.busy = 0;
  }
}

void ImportBank(Context& ctx, int deviceNode, const std::string& fileName) {
  FileSource source(ctx, fileName);
  ImportBankFrom(ctx, deviceNode, source);
}

void ImportEmptyBank(Context& ctx, int deviceNode) {
  // The user's temporary folder: the root of drive C: may not be writable.
  std::string path = ctx.files.tempFolder() + "Korrin.tmp";
  auto fail = [&ctx] {
    ctx.host.message("Unable to create empty bank");
    ctx.busy = 0;
  };
  FileHandle file = ctx.files.open(path, FileOpen::CreateAlways);
  if (file == kNoFile)
    return fail();
  std::vector<std::uint8_t> bank;
  if (!ctx.host.loadResource("E3X", 203, &bank)) {
    ctx.files.close(file);
    ctx.files.remove(path);
    return fail();
  }
  bool written = ctx.files.write(file, bank.data(), static_cast<std::uint32_t>(bank.size()));
  ctx.files.close(file);
  file = written ? ctx.files.open(path, FileOpen::ReadExisting) : kNoFile;
  if (file == kNoFile || !ctx.files.seek(file, 0)) {
    if (file != kNoFile)
      ctx.files.close(file);
    ctx.files.remove(path);
    return fail();
  }
  ctx.openFile = file;
  ctx.busy = 1;
  ctx.host.startWorker([&ctx, deviceNode, path] {
    ImportBank(ctx, deviceNode, path);
    // The refresh the import started may still be listing the device.
    while (ctx.busy)
      ctx.host.sleep(50);
    ctx.files.remove(path);
  });
}
