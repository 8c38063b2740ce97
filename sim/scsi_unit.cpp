#include "sim/scsi_unit.h"

#include <algorithm>
#include <cstring>

#include "platform/aspi.h"

namespace {

constexpr SimOutcome kDone{true, SS_COMP};
constexpr SimOutcome kError{true, SS_ERR};
constexpr SimOutcome kNever{false, SS_PENDING};

std::uint32_t be32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

void putPadded(std::uint8_t* out, std::size_t size, const std::string& text) {
  std::memset(out, ' ', size);
  std::memcpy(out, text.data(), std::min(size, text.size()));
}

const char* defaultProduct(SimUnitKind kind) {
  switch (kind) {
    case SimUnitKind::Removable:
      return "REMOVABLE DISK";
    case SimUnitKind::Optical:
      return "OPTICAL DISK";
    case SimUnitKind::CdRom:
      return "CD-ROM";
    case SimUnitKind::Sampler:
      return "SAMPLER";
    case SimUnitKind::Disk:
      break;
  }
  return "HARD DISK";
}

}  // namespace

SimOutcome SimScsiUnit::execute(const SimCommand& command) {
  if (command.cdbLength < 6)
    return kError;
  switch (command.cdb[0]) {
    case kTestUnitReady:
      ++testUnitReadys;
      return config_.hang == SimHang::TestUnitReady ? kNever : testUnitReady();
    case kInquiry:
      ++inquiries;
      return config_.hang == SimHang::Inquiry ? kNever : inquiry(command);
    case kRead10:
      ++reads;
      if (command.cdbLength < 10)
        return kError;
      return config_.hang == SimHang::Read ? kNever : read(command);
    case kWrite10:
      ++writes;
      if (command.cdbLength < 10)
        return kError;
      return config_.hang == SimHang::Write ? kNever : write(command);
    case kSend:
      return send(command);
    case kReceive:
      return receive(command);
    default:
      return kError;
  }
}

SimOutcome SimScsiUnit::testUnitReady() {
  if (config_.notReady > 0) {
    --config_.notReady;
    return kError;
  }
  return kDone;
}

SimOutcome SimScsiUnit::inquiry(const SimCommand& command) {
  std::uint8_t data[36] = {};
  data[0] = deviceType();
  data[1] = removable() ? 0x80 : 0x00;
  data[2] = 2;  // SCSI-2
  data[3] = 2;  // response data format
  data[4] = sizeof data - 5;
  putPadded(data + 8, 8, config_.vendor.empty() ? "KORRIN" : config_.vendor);
  putPadded(data + 16, 16,
            config_.product.empty() ? defaultProduct(config_.kind) : config_.product);
  putPadded(data + 32, 4, "1.0");
  if (!command.dataIn || !command.data)
    return kError;
  std::uint32_t n = std::min<std::uint32_t>({command.cdb[4], command.dataLength, sizeof data});
  std::memcpy(command.data, data, n);
  return kDone;
}

SimOutcome SimScsiUnit::read(const SimCommand&) {
  return kError;
}
SimOutcome SimScsiUnit::write(const SimCommand&) {
  return kError;
}
SimOutcome SimScsiUnit::send(const SimCommand&) {
  return kError;
}
SimOutcome SimScsiUnit::receive(const SimCommand&) {
  return kError;
}

std::uint8_t SimScsiUnit::deviceType() const {
  switch (config_.kind) {
    case SimUnitKind::Optical:
      return 7;
    case SimUnitKind::CdRom:
      return 5;
    case SimUnitKind::Sampler:
      return 3;
    default:
      return 0;
  }
}

bool SimScsiUnit::removable() const {
  return config_.kind != SimUnitKind::Disk && config_.kind != SimUnitKind::Sampler;
}

SimDiskUnit::SimDiskUnit(const SimUnitConfig& config, Files& files)
    : SimScsiUnit(config), files_(files) {
  if (config_.source.empty())
    return;
  bool readOnly = config_.kind == SimUnitKind::CdRom;
  file_ =
      files_.open(config_.source, readOnly ? FileOpen::ReadExisting : FileOpen::ReadWriteExisting);
  if (file_ != kNoFile && !files_.size(file_, &size_)) {
    files_.close(file_);
    file_ = kNoFile;
  }
}

SimDiskUnit::~SimDiskUnit() {
  if (file_ != kNoFile)
    files_.close(file_);
}

SimOutcome SimDiskUnit::testUnitReady() {
  SimOutcome outcome = SimScsiUnit::testUnitReady();
  return hasMedium() ? outcome : kError;
}

bool SimDiskUnit::transferBytes(const SimCommand& command, std::uint64_t* offset,
                                std::uint32_t* bytes) {
  const std::uint8_t* cdb = command.cdb;
  lastLun = cdb[1] >> 5;
  lastLba = be32(cdb + 2);
  lastBlocks = static_cast<std::uint32_t>(cdb[7] << 8 | cdb[8]);
  if (!hasMedium() || lastLun != config_.lun || !command.data)
    return false;
  std::uint64_t blocksOnMedium = (size_ + blockSize() - 1) / blockSize();
  if (std::uint64_t{lastLba} + lastBlocks > blocksOnMedium)
    return false;
  std::uint64_t n = std::uint64_t{lastBlocks} * blockSize();
  if (n > command.dataLength)
    return false;
  *offset = std::uint64_t{lastLba} * blockSize();
  *bytes = static_cast<std::uint32_t>(n);
  return true;
}

SimOutcome SimDiskUnit::read(const SimCommand& command) {
  std::uint64_t offset = 0;
  std::uint32_t bytes = 0;
  if (!command.dataIn || !transferBytes(command, &offset, &bytes))
    return kError;
  if (config_.failRead > 0 && ++readsSeen_ == config_.failRead)
    return kError;
  // The last 2048-byte block of an image may be partly beyond its end: it reads as zeros.
  std::memset(command.data, 0, bytes);
  std::uint64_t inFile = std::min<std::uint64_t>(bytes, size_ - std::min(size_, offset));
  std::uint32_t got = 0;
  if (inFile > 0 && (!files_.seek(file_, offset) ||
                     !files_.read(file_, command.data, static_cast<std::uint32_t>(inFile), &got) ||
                     got != inFile))
    return kError;
  return kDone;
}

SimOutcome SimDiskUnit::write(const SimCommand& command) {
  std::uint64_t offset = 0;
  std::uint32_t bytes = 0;
  if (config_.kind == SimUnitKind::CdRom || !command.dataOut ||
      !transferBytes(command, &offset, &bytes) || offset + bytes > size_)
    return kError;
  if (config_.failWrite > 0 && ++writesSeen_ == config_.failWrite)
    return kError;
  if (!files_.seek(file_, offset) || !files_.write(file_, command.data, bytes))
    return kError;
  return kDone;
}
