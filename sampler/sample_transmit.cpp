#include "sampler/sample_transmit.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <initializer_list>

#include "audio/wav.h"
#include "core/context.h"
#include "sampler/sampler_driver.h"
#include "sampler/smdi.h"
#include "scsi/aspi_transport.h"

namespace {

const char kTransferFailed[] = "Unable to transfer file";
const char kNotAccepted[] = "Unable to transmit sample (sampler will not accept it)";
const char kNoSampleData[] = "Unable to transmit sample (sampler won't accept sample data)";
const char kPacketFailed[] = "Unable to transmit sample (problem sending sample data)";

constexpr std::uint32_t kPacketSize = 512;
constexpr int kLowestNote = 21;  // note list entry 0

// One step: the message was sent and its reply is one of the wanted IDs.
// Otherwise the user hears the step's own message, unless the transport or
// the wait has already said why.
bool stepDone(Context& ctx, int adapter, int target, bool sent,
              std::initializer_list<std::uint16_t> wanted, const char* failure) {
  if (sent) {
    std::uint16_t id = SmdiAwaitReply(ctx, adapter, target);
    if (std::find(wanted.begin(), wanted.end(), id) != wanted.end())
      return true;
  }
  AspiTell(ctx, failure);
  return false;
}

// Sends the audio a packet at a time, reading each from the file as it goes.
bool sendAudio(Context& ctx, int adapter, int target, const WavFormat& format) {
  std::uint8_t packet[kPacketSize];
  std::uint32_t total = format.audioBytes;
  for (std::uint32_t position = 0; position < total;) {
    std::uint32_t count = std::min(kPacketSize, total - position);
    std::uint32_t got = 0;
    if (!ctx.files.seek(ctx.openFile, format.dataOffset + position) ||
        !ctx.files.read(ctx.openFile, packet, count, &got) || got != count) {
      AspiTell(ctx, kTransferFailed);
      return false;
    }
    // The sampler names the packet it wants next in its last reply; after a
    // bare ACK that is still the number of the packet just sent.
    std::uint32_t number = SmdiGetNumber(ctx.smdiMessageBuffer + 11, 3);
    if (!stepDone(ctx, adapter, target,
                  SmdiSendDataPacket(ctx, adapter, target, number, packet, count),
                  {kSmdiAck, kSmdiSendNextPacket, kSmdiEndOfProcedure}, kPacketFailed))
      return false;
    ctx.lcd.LcdAdvanceProgress(1);
    position += count;
  }
  return true;
}

}  // namespace

std::string SampleNameFromFile(const std::string& fileName) {
  std::string lower = fileName;
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string name = fileName.substr(0, lower.find(".wav"));
  return name.substr(0, 16);
}

bool TransmitSample(Context& ctx, int samplerNode, const TransmitChoice& choice,
                    const std::string& fileName) {
  LcdDisplay& lcd = ctx.lcd;
  int page = lcd.LcdCurrentPage();
  int adapter = 0, target = 0;
  if (!SampleAddress(ctx, samplerNode, &adapter, &target))
    return false;
  std::string name = SampleNameFromFile(fileName);
  AspiBeginCommand(ctx);

  // The real format and data chunks are read, so files with extra chunks
  // send their audio and nothing else.
  WavFormat format;
  if (WavProblem problem = ReadWavFormat(ctx.files, ctx.openFile, &format);
      problem != WavProblem::None) {
    ctx.host.message(WavProblemText(problem));
    return false;
  }
  std::uint32_t frames = format.audioBytes / format.channels / 2;

  std::uint64_t pieces = (format.fileLength + kPacketSize - 1) / kPacketSize;
  lcd.LcdBeginProgress();
  lcd.LcdSetProgressRange(0, static_cast<int>(std::min<std::uint64_t>(pieces * 2 + 1, INT_MAX)));
  lcd.LcdAdvanceProgress(1);
  lcd.LcdSetCursor(0, 0);
  lcd.LcdPrint("Transmitting sample");
  lcd.LcdSetCursor(0, 2);
  lcd.LcdPrint("Reading WAV file");
  // The audio is read packet by packet as it is sent; the bar still counts
  // the file's pieces first.
  lcd.LcdAdvanceProgress(static_cast<int>(std::min<std::uint64_t>(pieces, INT_MAX)));
  lcd.LcdClearLine(2, true);

  WavLoop loop;
  if (WavProblem problem = GetWavLoop(ctx.files, ctx.openFile, format, frames, &loop);
      problem != WavProblem::None) {
    ctx.host.message(WavProblemText(problem));
    return false;
  }
  if (format.dataOffset == 0) {
    ctx.host.message(WavProblemText(WavProblem::NoAudioData));
    return false;
  }

  if (!stepDone(ctx, adapter, target, SmdiAbortProcedure(ctx, adapter, target), {kSmdiAck},
                kNotAccepted))
    return false;

  SmdiSampleHeaderFields header;
  header.sample = static_cast<std::uint32_t>(choice.sampleEntry + 1);
  header.channels = format.channels;
  header.length = frames;
  header.rate = format.rate;
  header.name = name.c_str();
  header.loopStart = loop.start;
  header.loopEnd = loop.end;
  header.loopControl = loop.control;
  header.originalKey = choice.originalKey + kLowestNote;
  header.lowestKey = choice.from + kLowestNote;
  header.highestKey = choice.to + kLowestNote;
  if (!stepDone(ctx, adapter, target, SmdiSendSampleHeader(ctx, adapter, target, header),
                {kSmdiBeginSampleTransfer}, kNotAccepted) ||
      !stepDone(ctx, adapter, target,
                SmdiBeginSampleTransfer(ctx, adapter, target, header.sample, kPacketSize),
                {kSmdiSendNextPacket}, kNoSampleData))
    return false;
  if (!sendAudio(ctx, adapter, target, format))
    return false;
  lcd.LcdSelectPage(page);
  return true;
}

void RunTransmission(Context& ctx, int samplerNode, const TransmitChoice& choice,
                     const std::string& fileName) {
  ctx.busy = 1;
  bool sent = TransmitSample(ctx, samplerNode, choice, fileName);
  ctx.files.close(ctx.openFile);
  ctx.openFile = kNoFile;
  ctx.busy = 0;
  // The listing runs on a worker that clears the busy flag itself, so it
  // starts last: cleared after it, a command could start beside it.
  if (sent)
    refreshDevice(ctx, samplerNode, true);
}
