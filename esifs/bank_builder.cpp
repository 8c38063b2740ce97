#include "esifs/bank_builder.h"

#include <algorithm>
#include <cstring>

#include "core/context.h"
#include "esifs/bank_disk.h"
#include "esifs/bank_file.h"

BankBuilder::BankBuilder(Files& files, const BankPlan& plan)
    : files_(files), plan_(plan), head_(kEmptyBankSize) {
  MakeEmptyBank(plan.name, head_.data());
  std::uint32_t end = kEmptyBankSize;
  for (std::size_t i = 0; i < plan.samples.size(); ++i) {
    const WavSample& s = plan.samples[i];
    std::uint32_t bytes = kSampleHeaderSize + 2 * s.channels * s.frames;
    starts_.push_back(end);
    AddSampleToHeader(head_.data(), static_cast<int>(i + 1), bytes);
    end += bytes;
  }
}

BankBuilder::~BankBuilder() {
  if (file_ != kNoFile)
    files_.close(file_);
}

bool BankBuilder::begin(char name16[16], std::uint64_t* size) {
  std::memcpy(name16, plan_.name, 16);
  *size = plan_.size;
  return true;
}

bool BankBuilder::read(std::uint8_t* buffer, std::uint32_t count) {
  while (count > 0) {
    std::uint32_t n = position_ < plan_.size ? readPart(buffer, count) : 0;
    if (n == 0)
      return false;
    buffer += n;
    count -= n;
    position_ += n;
  }
  return true;
}

std::uint32_t BankBuilder::readPart(std::uint8_t* out, std::uint32_t count) {
  count = std::min(count, plan_.size - position_);
  if (position_ < kEmptyBankSize) {
    std::uint32_t n = std::min(count, kEmptyBankSize - position_);
    std::memcpy(out, &head_[position_], n);
    return n;
  }
  std::size_t k = std::upper_bound(starts_.begin(), starts_.end(), position_) - starts_.begin() - 1;
  const WavSample& s = plan_.samples[k];
  std::uint32_t within = position_ - starts_[k];
  if (within >= kSampleHeaderSize) {
    if (file_ == kNoFile || fileOf_ != k) {
      if (file_ != kNoFile)
        files_.close(file_);
      file_ = files_.open(s.path, FileOpen::ReadExisting);
      fileOf_ = k;
    }
    return file_ == kNoFile ? 0 : audio(s, within - kSampleHeaderSize, out, count);
  }
  std::uint8_t header[kSampleHeaderSize];
  EncodeSampleHeader(
      NewSampleHeader(s.name, s.channels, s.frames, s.rate, s.loops, s.loopStart, s.loopEnd,
                      starts_[k] - kEmptyBankSize, static_cast<std::uint32_t>(k)),
      header);
  std::uint32_t n = std::min(count, kSampleHeaderSize - within);
  std::memcpy(out, header + within, n);
  return n;
}

// Bytes from `at` on of the sample's audio as the bank holds it: each channel
// whole, one after the other, its first and last two frames zero.
std::uint32_t BankBuilder::audio(const WavSample& s, std::uint32_t at, std::uint8_t* out,
                                 std::uint32_t count) {
  const std::uint32_t channelBytes = 2 * s.frames;
  const std::uint32_t c = at / channelBytes, within = at % channelBytes;
  const std::uint32_t n = std::min({count, channelBytes - within, kUnitBytes});
  const std::uint32_t first = within / 2, frames = (within + n - 1) / 2 - first + 1;
  const std::uint32_t frameBytes = 2 * s.channels;
  frames_.resize(std::size_t{frames} * frameBytes);
  words_.resize(2 * std::size_t{frames});
  std::uint32_t got = 0;
  if (!files_.seek(file_, s.dataOffset + std::uint64_t{first} * frameBytes) ||
      !files_.read(file_, frames_.data(), frames * frameBytes, &got) || got != frames * frameBytes)
    return 0;
  for (std::uint32_t j = 0; j < frames; ++j) {
    std::uint32_t f = first + j;
    bool zero = f < kZeroFrames || f >= s.frames - kZeroFrames;
    words_[2 * j] = zero ? 0 : frames_[j * frameBytes + 2 * c];
    words_[2 * j + 1] = zero ? 0 : frames_[j * frameBytes + 2 * c + 1];
  }
  std::memcpy(out, &words_[within - 2 * first], n);
  return n;
}

bool WriteBankFile(Context& ctx, const BankPlan& plan, const std::string& path) {
  FileHandle file = ctx.files.open(path, FileOpen::CreateAlways);
  if (file == kNoFile) {
    ctx.host.message("Unable to open Windows file");
    return false;
  }
  BankBuilder builder(ctx.files, plan);
  std::vector<std::uint8_t> chunk(kBankChunkSize);
  const char* fault = nullptr;
  for (std::uint32_t at = 0; at < plan.size && !fault; at += kBankChunkSize) {
    std::uint32_t n = std::min(plan.size - at, kBankChunkSize);
    if (!builder.read(chunk.data(), n))
      fault = "Error reading Windows file";
    else if (!PrepareExportChunk(chunk.data(), n, at))
      fault = "Bank data cannot be stored in a bank file";
    else if (!ctx.files.write(file, chunk.data(), n))
      fault = "Error writing Windows file";
  }
  ctx.files.close(file);
  if (!fault)
    return true;
  ctx.files.remove(path);
  ctx.host.message(fault);
  return false;
}

void ImportNewBank(Context& ctx, int deviceNode, const BankPlan& plan) {
  BankBuilder builder(ctx.files, plan);
  ImportBankFrom(ctx, deviceNode, builder);
}
