// The templates: the empty bank and the start of a new CD image. Both are
// stored scrambled with the bank keystream, as one chunk at position 0.
#include <cstdio>
#include <cstring>
#include <vector>

#include "esifs/bank_layout.h"
#include "esifs/disk_info.h"
#include "esifs/disk_info_writer.h"
#include "esifs/keystream.h"
#include "gen.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------
// The start of a new CD image (resource "ISO" 198): an empty ESi disk sized
// for a whole CD, 25 sectors of tables. Sectors past them are the data area;
// the image file grows into it as banks are written.
//
//   sector  0      disk information
//   sector  1      File Index Reference
//   sectors 2..8   Bank Index: 7 x 16 entries, room for all 100 banks
//   sectors 9..24  Bank Allocation Table: 16 sectors, 4096 entries
//   sector  25 on  data area, block 1 first
//
// Blocks are 1024 sectors (512 KiB, block size code 4). A CD of 1 331 200
// sectors then has 1299 blocks after the tables, and a table of 1300 entries
// fits the 16 sectors with room to spare; 64 KiB blocks would need a table
// of 41 sectors. Byte 0x29 is 1 so that (code << shift) x 128 is the block
// size too, the reading by which a too-large disk is clamped to a CD.
constexpr std::uint32_t kCdSectors = 1331200;
constexpr std::uint32_t kCdTemplateSectors = 25;
constexpr std::uint8_t kCdBlockSizeCode = 4;
constexpr std::uint32_t kCdBlockSectors = 128u << (kCdBlockSizeCode - 1);

DiskInfo cdLayout() {
  DiskInfo d{};
  d.lastSector = kCdSectors - 1;
  d.firSector = 1;
  d.bankIndexSector = 2;
  d.bankIndexCount = 7;
  d.batSector = 9;
  d.batCount = 16;
  d.dataSector = kCdTemplateSectors;
  d.blockCount = (kCdSectors - d.dataSector) / kCdBlockSectors;
  d.blockSizeCode = kCdBlockSizeCode;
  d.blockSizeShift = 1;
  return d;
}

// Every other byte of the disk information sector stays zero. With zeros in
// bytes 220..223 the checksum is the same in both forms, so older ESi systems
// read the disk too.
void diskInformation(const DiskInfo& d, std::uint8_t* s) {
  WriteDiskInfo(d, s);
  StoreChecksum(s, DiskInfoChecksumV2(s));
}

// A Bank Index sector not yet in use: "BB" at bytes 0-1 (import takes it into
// use) and at bytes 16-17 (listing stops here); its entries read as free.
void unusedIndexSector(std::uint8_t* s) {
  s[0] = s[1] = 'B';
  s[16] = s[17] = 'B';
}

// Every block of the data area free. Entry 0 belongs to no block and the
// entries past blockCount describe blocks beyond the CD: both read as the end
// of a chain, so nothing ever takes them for free blocks.
void allocationTable(const DiskInfo& d, std::uint8_t* bat) {
  const std::uint32_t entries = d.batCount * 512 / 2;
  for (std::uint32_t b = 0; b < entries; ++b) {
    bool usable = b >= 1 && b <= d.blockCount;
    putLe16(bat + 2 * b, usable ? 0x0000 : 0x7FFF);
  }
}

// The File Index Reference starts empty: its slot of a Bank Index sector is
// written when import takes that sector into use. The creating program stamps
// its version at bytes 992..999 of the image, which fall in this sector's
// unused end (slots reach only byte 31 for 7 index sectors).

Bytes cdImageTemplate() {
  DiskInfo l = cdLayout();
  Bytes image(kCdTemplateSectors * 512, 0);
  diskInformation(l, &image[0]);
  for (std::uint32_t k = 0; k < l.bankIndexCount; ++k) {
    unusedIndexSector(&image[(l.bankIndexSector + k) * 512]);
  }
  allocationTable(l, &image[l.batSector * 512]);
  // The checksum above covers "EMU3" as the program stamps it into every new
  // image. Stored without the letters "EMU", the template does not begin with
  // them, so the keystream scrambles it from byte 0 (the disk's tables included)
  // and unscrambling decides the same; the stamp then makes the checksum right.
  std::memset(&image[0], 0, 3);
  return image;
}

// ---------------------------------------------------------------------------
// The empty bank (resource "E3X" 203), imported by "Import Empty Bank"
// exactly as a bank file is: a complete bank without presets or samples, as
// a sampler loads it, of its own length (11 123 bytes).
constexpr char kEmptyBankName[] = "EMPTY BANK     X";  // shown as EMPTY BANK

Bytes emptyBankTemplate() {
  Bytes bank(kEmptyBankSize);
  MakeEmptyBank(kEmptyBankName, bank.data());
  return bank;
}

// ---------------------------------------------------------------------------
// The start of an ESi floppy image (resource "E3X" 204), 104 032 bytes: the
// floppy's sector 0 and the start of the one bank a WAV import makes. The
// import appends the sample's audio from byte 104 032 on, fills in the
// sample header and stamps each disk's copy of sector 0. Numbers are 32-bit,
// most significant byte first, like the fields the import writes.
constexpr std::size_t kFloppyTemplateSize = 104032;
constexpr std::uint32_t kFloppySectors = 2880;  // 80 cylinders x 2 heads x 18
constexpr std::uint32_t kFloppyDataPerDisk = kFloppySectors * 512 - 512;
constexpr std::uint32_t kSampleHeaderAt = 11884;  // 13 fields, to 11935
constexpr std::uint32_t kSampleStartAt = 103940;  // its own 92-byte header
constexpr std::uint32_t kAudioAt = 104032;
constexpr char kBankIdentification[] = "EMULATOR 3X     ";    // 16 characters
constexpr char kFloppyIdentification[] = "EMU3 FLOPPY DISK";  // 16 characters
constexpr char kFloppyBankName[] = "WAV SAMPLE      ";        // 16 characters

void putBe32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    at[i] = std::uint8_t(value >> (24 - 8 * i));
}

// Sector 0 of every disk of a set. The import stamps 40, 44, 56 and 68 per
// disk; the template holds the values of a set of one disk with an empty
// mono sample.
//
//   0..15   identification            32  sectors per disk
//   16..31  the bank's name           36  bytes per sector
//   40      this disk's number        48  image bytes each disk carries
//   44      the number of disks       52  where the sample header lies
//   56      the sample's size, bytes  60  where the audio begins
//   68      the sample's size, sectors
void floppySector0(std::uint8_t* s) {
  const std::uint32_t emptySampleBytes = 98 + 94;  // (LEN + 98) x 1 + 94, LEN = 0
  std::memcpy(s, kFloppyIdentification, 16);
  std::memcpy(s + 16, kFloppyBankName, 16);
  putBe32(s + 32, kFloppySectors);
  putBe32(s + 36, 512);
  putBe32(s + 40, 1);
  putBe32(s + 44, 1);
  putBe32(s + 48, kFloppyDataPerDisk);
  putBe32(s + 52, kSampleHeaderAt);
  putBe32(s + 56, emptySampleBytes);
  putBe32(s + 60, kAudioAt);
  putBe32(s + 68, (emptySampleBytes + 511) / 512);
}

// The bank: its first sector is laid out as on a hard disk (identification,
// the name at 16 and 76). The sample header at 11884 and the sample's own
// header at 103940 stay zero except for its name: the import fills in the
// fields, and the left channel's words begin 92 bytes into the sample.
void floppyBank(std::uint8_t* image) {
  std::memcpy(image + 512, kBankIdentification, 16);
  std::memcpy(image + 512 + 16, kFloppyBankName, 16);
  std::memcpy(image + 512 + 76, kFloppyBankName, 16);
  std::memcpy(image + kSampleStartAt, kFloppyBankName, 16);
}

Bytes floppyTemplate() {
  Bytes image(kFloppyTemplateSize, 0);
  floppySector0(&image[0]);
  floppyBank(image.data());
  return image;
}

// Scrambles as the program unscrambles: one chunk at position 0. A buffer
// that begins with "EMU" keeps its first 32 bytes plain; one that does not
// must not come to begin with "EMU" once scrambled, or it would not restore.
bool store(const std::string& path, Bytes bytes) {
  bool plainHead = bytes.size() >= 3 && std::memcmp(bytes.data(), "EMU", 3) == 0;
  BankKeystream(bytes.data(), static_cast<std::uint32_t>(bytes.size()), 0);
  bool scrambledHead = bytes.size() >= 3 && std::memcmp(bytes.data(), "EMU", 3) == 0;
  if (plainHead != scrambledHead) {
    std::fprintf(stderr, "korrin_gen: %s would not restore\n", path.c_str());
    return false;
  }
  return writeFile(path, bytes);
}

// The stamped template must be a disk the image driver opens.
bool checkCdTemplate(const Bytes& plain) {
  std::uint8_t sector[512];
  std::memcpy(sector, plain.data(), sizeof sector);
  std::memcpy(sector, "EMU", 3);
  if (!IsEsiDiskInfo(sector) || !IsV2Compatible(sector)) {
    std::fprintf(stderr, "korrin_gen: CD image template fails its own checksum\n");
    return false;
  }
  return true;
}

}  // namespace

bool writeTemplates(const std::string& out) {
  Bytes cd = cdImageTemplate();
  if (!checkCdTemplate(cd))
    return false;
  return store(out + "/ISO198.bin", cd) && store(out + "/E3X203.bin", emptyBankTemplate()) &&
         store(out + "/E3X204.bin", floppyTemplate());
}
