#include "sim/sampler_unit.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "audio/wav.h"
#include "platform/aspi.h"

namespace {

constexpr SimOutcome kDone{true, SS_COMP};
constexpr SimOutcome kError{true, SS_ERR};

constexpr int kHeaderSize = 11;
constexpr std::uint16_t kMessageReject = 0x0002;
constexpr std::uint16_t kAck = 0x0100;
constexpr std::uint16_t kWait = 0x0102;
constexpr std::uint16_t kSendNextPacket = 0x0103;
constexpr std::uint16_t kEndOfProcedure = 0x0104;
constexpr std::uint16_t kAbortProcedure = 0x0105;
constexpr std::uint16_t kDataPacket = 0x0110;
constexpr std::uint16_t kSampleHeaderRequest = 0x0120;
constexpr std::uint16_t kSampleHeader = 0x0121;
constexpr std::uint16_t kBeginSampleTransfer = 0x0122;
constexpr std::uint16_t kDeleteSample = 0x0124;

// The sampler's own reasons in a Message Reject.
constexpr int kNotUnderstood = 1;
constexpr int kNoSuchSample = 2;
constexpr int kNotAcceptable = 3;

constexpr std::size_t kNameLength = 16;
// More than the 16 640 bytes a host's RECEIVE takes.
constexpr std::uint32_t kOversizeData = 16700;

std::uint32_t getNumber(const std::uint8_t* p, int width) {
  std::uint32_t v = 0;
  for (int i = 0; i < width; ++i)
    v = v << 8 | p[i];
  return v;
}

void putNumber(std::vector<std::uint8_t>& out, std::uint32_t value, int width) {
  for (int i = width - 1; i >= 0; --i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> message(std::uint16_t id, const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> m = {'S', 'M', 'D', 'I'};
  putNumber(m, id, 2);
  putNumber(m, 0, 2);
  putNumber(m, static_cast<std::uint32_t>(body.size()), 3);
  m.insert(m.end(), body.begin(), body.end());
  return m;
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\')
    return folder + name;
  return folder + (folder.find('\\') != std::string::npos ? "\\" : "/") + name;
}

// "NNN name.wav" with NNN from 001 to 999: the slot, and the name cut to 16.
bool seedName(const std::string& file, int* number, std::string* name) {
  if (file.size() < 9 || file[3] != ' ')
    return false;
  for (int i = 0; i < 3; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(file[i])))
      return false;
  }
  std::string tail = file.substr(file.size() - 4);
  for (char& c : tail)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  *number = std::stoi(file.substr(0, 3));
  *name = file.substr(4, file.size() - 8).substr(0, kNameLength);
  return tail == ".wav" && *number >= 1 && *number <= kSimSampleSlots && !name->empty();
}

}  // namespace

std::vector<std::string> ListFolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file(error))
      names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

SimSamplerUnit::SimSamplerUnit(const SimUnitConfig& config, Files& files, const FolderLister& list)
    : SimScsiUnit(config) {
  if (config_.source.empty())
    return;
  for (const std::string& name : list(config_.source))
    seed(files, config_.source, name);
}

void SimSamplerUnit::seed(Files& files, const std::string& folder, const std::string& file) {
  int number = 0;
  std::string name;
  if (!seedName(file, &number, &name))
    return;
  FileHandle handle = files.open(joinPath(folder, file), FileOpen::ReadExisting);
  if (handle == kNoFile) {
    skipped.push_back(file + ": cannot open");
    return;
  }
  WavFormat format;
  WavLoop loop;
  WavProblem problem = ReadWavFormat(files, handle, &format);
  const std::uint32_t frameBytes = static_cast<std::uint32_t>(format.channels) * 2;
  const std::uint32_t frames = frameBytes ? format.audioBytes / frameBytes : 0;
  if (problem == WavProblem::None)
    problem = GetWavLoop(files, handle, format, frames, &loop);
  bool read = problem == WavProblem::None && format.dataOffset != 0 && format.rate != 0 &&
              format.audioBytes <= kSimMaxSampleBytes;
  if (read && !fits(number, std::uint64_t{frames} * frameBytes)) {
    files.close(handle);
    skipped.push_back(file + ": does not fit in the sampler's memory");
    return;
  }
  std::vector<std::uint8_t> audio(read ? format.audioBytes : 0);
  std::uint32_t got = 0;
  if (read && !audio.empty())
    read = files.seek(handle, format.dataOffset) &&
           files.read(handle, audio.data(), format.audioBytes, &got) && got == format.audioBytes;
  files.close(handle);
  if (!read) {
    skipped.push_back(file + ": not a 16-bit mono or stereo WAV file");
    return;
  }
  SimSample& s = slots_[number];
  s = SimSample{};
  s.present = true;
  s.name = name;
  s.channels = format.channels;
  // As the sampler stores a rate sent to it: trunc(10^9 / rate + 0.9).
  s.period =
      static_cast<std::uint32_t>((10000000000ull + 9ull * format.rate) / (10ull * format.rate));
  s.frames = frames;
  s.loopStart = loop.start;
  s.loopEnd = loop.end;
  s.loopControl = loop.control;
  // The sampler holds its words most significant byte first.
  audio.resize(std::size_t{frames} * frameBytes);
  for (std::size_t i = 0; i + 1 < audio.size(); i += 2)
    std::swap(audio[i], audio[i + 1]);
  s.data = std::move(audio);
}

SimOutcome SimSamplerUnit::send(const SimCommand& command) {
  // failwrite=N: the Nth SEND ends in error, its message not taken.
  if (!command.dataOut || !command.data ||
      (config_.failWrite > 0 && ++sendsSeen_ == config_.failWrite))
    return kError;
  const std::uint32_t length = std::min(getNumber(command.cdb + 3, 2), command.dataLength);
  if (length < kHeaderSize)
    return kError;
  answer(command.data, length);
  return kDone;
}

SimOutcome SimSamplerUnit::receive(const SimCommand& command) {
  if (!command.dataIn || !command.data)
    return kError;
  std::vector<std::uint8_t> out;
  if (config_.smdi == SimSmdiFault::Silent) {
    // Takes every message and never has anything to say.
  } else if (config_.smdi == SimSmdiFault::WaitForever || (replyReady_ && waitFirst_)) {
    waitFirst_ = false;
    out = message(kWait, {});
  } else if (replyReady_) {
    out.swap(reply_);
    replyReady_ = false;
  }
  // The host's allocation length is all that crosses the bus.
  std::uint32_t room = std::min<std::uint32_t>(getNumber(command.cdb + 2, 3), command.dataLength);
  std::copy_n(out.begin(), std::min<std::size_t>(out.size(), room), command.data);
  return kDone;
}

void SimSamplerUnit::reply(std::uint16_t id, const std::vector<std::uint8_t>& body,
                           bool waitFirst) {
  reply_ = message(id, body);
  replyReady_ = true;
  waitFirst_ = waitFirst;
}

void SimSamplerUnit::reject(int why) {
  std::vector<std::uint8_t> body;
  putNumber(body, static_cast<std::uint32_t>(why), 2);
  putNumber(body, 0, 2);
  reply(kMessageReject, body);
}

void SimSamplerUnit::answer(const std::uint8_t* m, std::uint32_t length) {
  const std::uint16_t id = static_cast<std::uint16_t>(getNumber(m + 4, 2));
  received.push_back(id);
  const std::uint32_t bodyLength = getNumber(m + 8, 3);
  if (std::memcmp(m, "SMDI", 4) != 0 || bodyLength > length - kHeaderSize ||
      config_.smdi == SimSmdiFault::Reject)
    return reject(kNotUnderstood);
  const std::uint8_t* body = m + kHeaderSize;
  auto number = [&](std::uint32_t at) {
    return at + 3 <= bodyLength ? getNumber(body + at, 3) : 0xFFFFFFFFu;
  };
  auto stored = [&](std::uint32_t n) {
    return n >= 1 && n <= kSimSampleSlots && slots_[n].present;
  };
  switch (id) {
    case kAbortProcedure:
      procedure_ = Procedure::None;
      return reply(kAck, {});
    case kSampleHeaderRequest:
      procedure_ = Procedure::None;
      if (stored(number(0)))
        sendHeader(number(0));
      else
        reject(kNoSuchSample);
      // A listing ends at the last number: the panel's user renames then.
      if (number(0) == kSimSampleSlots && config_.smdi == SimSmdiFault::Rename)
        renameAll();
      return;
    case kSampleHeader:
      return takeHeader(body, bodyLength);
    case kBeginSampleTransfer:
      return beginTransfer(number(0), number(3));
    case kDataPacket:
      return takeData(body, bodyLength);
    case kSendNextPacket:
      return giveData(number(0));
    case kDeleteSample:
      procedure_ = Procedure::None;
      if (!stored(number(0)))
        return reject(kNoSuchSample);
      slots_[number(0)] = SimSample{};
      return reply(kAck, {});
    default:
      return reject(kNotUnderstood);
  }
}

void SimSamplerUnit::sendHeader(std::uint32_t n) {
  const SimSample& s = slots_[n];
  std::vector<std::uint8_t> body;
  putNumber(body, n, 3);
  putNumber(body, 16, 1);
  putNumber(body, static_cast<std::uint32_t>(s.channels), 1);
  putNumber(body, s.period, 3);
  putNumber(body, s.frames, 4);
  putNumber(body, s.loopStart, 4);
  putNumber(body, s.loopEnd, 4);
  putNumber(body, static_cast<std::uint32_t>(s.loopControl), 1);
  putNumber(body, 60, 2);
  putNumber(body, 0, 2);
  // Names are kept padded to their full 16 characters, as the panel shows them.
  std::string name = s.name;
  name.resize(std::max(name.size(), kNameLength), ' ');
  putNumber(body, static_cast<std::uint32_t>(name.size()), 1);
  body.insert(body.end(), name.begin(), name.end());
  // Looking a sample up takes the sampler a moment.
  reply(kSampleHeader, body, true);
}

void SimSamplerUnit::takeHeader(const std::uint8_t* body, std::uint32_t length) {
  procedure_ = Procedure::None;
  if (length < 29)
    return reject(kNotUnderstood);
  const std::uint32_t n = getNumber(body, 3);
  const std::uint32_t nameLength = body[28];
  SimSample s;
  s.present = true;
  s.channels = body[4];
  s.period = getNumber(body + 5, 3);
  s.frames = getNumber(body + 8, 4);
  s.loopStart = getNumber(body + 12, 4);
  s.loopEnd = getNumber(body + 16, 4);
  s.loopControl = body[20];
  const std::uint64_t bytes = std::uint64_t{s.frames} * static_cast<std::uint32_t>(s.channels) * 2;
  if (n < 1 || n > kSimSampleSlots || body[3] != 16 || s.channels < 1 || s.channels > 2 ||
      s.period == 0 || bytes > kSimMaxSampleBytes || 29 + nameLength > length ||
      !fits(static_cast<int>(n), bytes))
    return reject(kNotAcceptable);
  s.name.assign(reinterpret_cast<const char*>(body + 29), std::min<std::size_t>(nameLength, 16));
  incoming_ = std::move(s);
  incomingBytes_ = static_cast<std::uint32_t>(bytes);
  number_ = n;
  procedure_ = Procedure::HeaderTaken;
  std::vector<std::uint8_t> answer;
  putNumber(answer, n, 3);
  putNumber(answer, 512, 3);
  reply(kBeginSampleTransfer, answer);
}

void SimSamplerUnit::beginTransfer(std::uint32_t n, std::uint32_t packetLength) {
  if (procedure_ == Procedure::HeaderTaken && n == number_) {
    // The host sends; the sampler asks for packet after packet.
    if (packetLength == 0 || packetLength > 16640 - 14)
      return reject(kNotAcceptable);
    procedure_ = Procedure::TakingData;
    packetLength_ = packetLength;
    nextPacket_ = 0;
    incoming_.data.clear();
    if (incomingBytes_ == 0) {
      slots_[number_] = std::move(incoming_);
      procedure_ = Procedure::None;
      return reply(kEndOfProcedure, {});
    }
    std::vector<std::uint8_t> body;
    putNumber(body, 0, 3);
    return reply(kSendNextPacket, body);
  }
  if (n < 1 || n > kSimSampleSlots || !slots_[n].present || packetLength == 0)
    return reject(kNoSuchSample);
  // The host receives: the sampler names the packet length it will use.
  procedure_ = Procedure::GivingData;
  number_ = n;
  packetLength_ =
      config_.smdi == SimSmdiFault::ZeroPacket ? 0 : std::min(packetLength, 16640u - 14);
  std::vector<std::uint8_t> body;
  putNumber(body, n, 3);
  putNumber(body, packetLength_, 3);
  reply(kBeginSampleTransfer, body, true);
}

void SimSamplerUnit::takeData(const std::uint8_t* body, std::uint32_t length) {
  if (procedure_ != Procedure::TakingData || length < 3 || getNumber(body, 3) != nextPacket_)
    return reject(kNotAcceptable);
  const std::uint32_t room = incomingBytes_ - static_cast<std::uint32_t>(incoming_.data.size());
  const std::uint32_t count = std::min(length - 3, room);
  incoming_.data.insert(incoming_.data.end(), body + 3, body + 3 + count);
  if (incoming_.data.size() >= incomingBytes_) {
    slots_[number_] = std::move(incoming_);
    incoming_ = SimSample{};
    procedure_ = Procedure::None;
    return reply(kEndOfProcedure, {});
  }
  std::vector<std::uint8_t> answer;
  putNumber(answer, ++nextPacket_, 3);
  reply(kSendNextPacket, answer);
}

void SimSamplerUnit::giveData(std::uint32_t packet) {
  if (procedure_ != Procedure::GivingData || !slots_[number_].present)
    return reject(kNotAcceptable);
  const std::vector<std::uint8_t>& data = slots_[number_].data;
  // An odd sampler sends one byte less than it announced, so its packets
  // split words.
  const std::uint64_t chunk =
      config_.smdi == SimSmdiFault::Odd && packetLength_ > 1 ? packetLength_ - 1 : packetLength_;
  const std::uint64_t at = std::uint64_t{packet} * chunk;
  if (chunk != 0 && at >= data.size()) {
    procedure_ = Procedure::None;
    return reply(kEndOfProcedure, {});
  }
  std::vector<std::uint8_t> body;
  putNumber(body, packet, 3);
  std::uint64_t count =
      std::min<std::uint64_t>(chunk, data.size() - std::min(at, std::uint64_t{data.size()}));
  body.insert(body.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
              data.begin() + static_cast<std::ptrdiff_t>(at + count));
  if (config_.smdi == SimSmdiFault::Oversize)
    body.resize(3 + kOversizeData, 0x5A);
  reply(kDataPacket, body);
}

bool SimSamplerUnit::fits(int number, std::uint64_t bytes) const {
  std::uint64_t used = 0;
  for (int n = 1; n <= kSimSampleSlots; ++n) {
    if (n != number)
      used += slots_[n].data.size();
  }
  return used <= memoryBytes && bytes <= memoryBytes - used;
}

void SimSamplerUnit::renameAll() {
  for (SimSample& s : slots_) {
    if (!s.present)
      continue;
    // Alternates, so that every listing is followed by a change.
    if (!s.name.empty() && s.name.back() == '*')
      s.name.pop_back();
    else
      s.name = s.name.substr(0, kNameLength - 1) + "*";
  }
}
