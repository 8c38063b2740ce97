#include "sampler/smdi.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/context.h"
#include "scsi/aspi_transport.h"

namespace {

constexpr int kIdAt = 4;
constexpr int kSubIdAt = 6;
constexpr int kLengthAt = 8;
constexpr int kBodyAt = kSmdiHeaderSize;
constexpr std::uint16_t kFirstHeaderReplyId = 0x001A;
constexpr std::uint32_t kMaxDataPacket = 512;
constexpr int kMaxSentName = 16;

// Sample Header fields as the sampler answers them.
constexpr int kBitsAt = 14;
constexpr int kChannelsAt = 15;
constexpr int kPeriodAt = 16;
constexpr int kLengthFieldAt = 19;
constexpr int kLoopStartAt = 23;
constexpr int kLoopEndAt = 27;
constexpr int kLoopControlAt = 31;
constexpr int kReadNameLengthAt = 36;
constexpr int kReadNameAt = 37;

std::uint8_t* buffer(Context& ctx) {
  return ctx.smdiMessageBuffer;
}

// Sends the message built in the buffer: header plus body of bodyLength bytes.
int sendBuilt(Context& ctx, int adapter, int target, std::uint32_t bodyLength) {
  std::uint32_t size = kSmdiHeaderSize + bodyLength;
  SmdiPutNumber(buffer(ctx) + kLengthAt, bodyLength, 3);
  return AspiSend(ctx, adapter, target, buffer(ctx), static_cast<std::uint8_t>(size >> 8),
                  static_cast<std::uint8_t>(size))
             ? 1
             : 0;
}

// The common shape of the short messages: one 3-byte number as the body.
int sendNumber(Context& ctx, int adapter, int target, std::uint16_t id, std::uint32_t number) {
  if (!AspiWaitReady(ctx, adapter, target))
    return 0;
  SmdiStartMessage(ctx, id, 0);
  SmdiPutNumber(buffer(ctx) + kBodyAt, number, 3);
  return sendBuilt(ctx, adapter, target, 3);
}

// A failed transport has already told the user why. A RECEIVE that
// completed with an error has told nobody and brought no answer: the wait
// asks again within its bound.
enum class Received { Answer, TransportFailed, Errored };

// One RECEIVE; *id is the reply's message ID, 0 for an empty answer.
Received receive(Context& ctx, int adapter, int target, std::uint16_t* id) {
  *id = 0;
  if (!AspiWaitReady(ctx, adapter, target))
    return Received::TransportFailed;
  // Cleared first, so that an answer with no bytes reads as no message.
  std::memset(buffer(ctx), 0, kSmdiHeaderSize);
  const AspiAttempt attempt = AspiReceive(ctx, adapter, target, buffer(ctx));
  if (attempt != AspiAttempt::Done)
    return attempt == AspiAttempt::Hung ? Received::TransportFailed : Received::Errored;
  *id = static_cast<std::uint16_t>(SmdiGetNumber(buffer(ctx) + kIdAt, 2));
  return Received::Answer;
}

void tellNotAnswering(Context& ctx, int adapter, int target) {
  char text[64];
  std::snprintf(text, sizeof text, "Sampler (%d,%d) is not answering", adapter, target);
  AspiTell(ctx, text);
}

// Receives replies until settle(how it went, the reply's ID, &result) says
// the result is settled. Bounded by attempts and by the clock, since a pause
// of ten milliseconds may last far longer; at the bound the user is told and
// the result is atBound.
template <typename Settle>
std::uint16_t awaitReply(Context& ctx, int adapter, int target, std::uint16_t atBound,
                         Settle settle) {
  const std::uint32_t start = ctx.host.milliseconds();
  for (int attempt = 0; attempt < kSmdiReplyAttempts; ++attempt) {
    if (attempt > 0) {
      if (ctx.host.milliseconds() - start >= kSmdiReplyMs)
        break;
      ctx.host.sleep(kSmdiReplyPause);
    }
    std::uint16_t id = 0, result = 0;
    const Received got = receive(ctx, adapter, target, &id);
    if (settle(got, id, &result))
      return result;
  }
  tellNotAnswering(ctx, adapter, target);
  return atBound;
}

}  // namespace

void SmdiPutNumber(std::uint8_t* destination, std::uint32_t value, int width) {
  for (int i = width - 1; i >= 0 && width <= 4; --i) {
    destination[i] = static_cast<std::uint8_t>(value);
    value >>= 8;
  }
}

std::uint32_t SmdiGetNumber(const std::uint8_t* source, int width) {
  std::uint32_t value = 0;
  for (int i = 0; i < width && width <= 4; ++i)
    value = value << 8 | source[i];
  return value;
}

void SmdiStartMessage(Context& ctx, std::uint16_t id, std::uint16_t subId) {
  std::uint8_t* b = buffer(ctx);
  std::memcpy(b, "SMDI", 4);
  SmdiPutNumber(b + kIdAt, id, 2);
  SmdiPutNumber(b + kSubIdAt, subId, 2);
  SmdiPutNumber(b + kLengthAt, 0, 3);
}

int SmdiAbortProcedure(Context& ctx, int adapter, int target) {
  if (!AspiWaitReady(ctx, adapter, target))
    return 0;
  SmdiStartMessage(ctx, kSmdiAbortProcedure, 0);
  return sendBuilt(ctx, adapter, target, 0);
}

int SmdiRequestSampleHeader(Context& ctx, int adapter, int target, std::uint32_t sample) {
  return sendNumber(ctx, adapter, target, kSmdiSampleHeaderRequest, sample);
}

int SmdiDeleteSample(Context& ctx, int adapter, int target, std::uint32_t sample) {
  if (!AspiWaitReady(ctx, adapter, target))
    return 0;
  SmdiStartMessage(ctx, kSmdiDeleteSample, 0);
  SmdiPutNumber(buffer(ctx) + kBodyAt, sample, 3);
  int sent = sendBuilt(ctx, adapter, target, 3);
  ctx.lcd.LcdAdvanceProgress(1);
  return sent;
}

int SmdiSendNextPacket(Context& ctx, int adapter, int target, std::uint32_t packet) {
  return sendNumber(ctx, adapter, target, kSmdiSendNextPacket, packet);
}

int SmdiBeginSampleTransfer(Context& ctx, int adapter, int target, std::uint32_t sample,
                            std::uint32_t packetLength) {
  if (!AspiWaitReady(ctx, adapter, target))
    return 0;
  SmdiStartMessage(ctx, kSmdiBeginSampleTransfer, 0);
  SmdiPutNumber(buffer(ctx) + kBodyAt, sample, 3);
  SmdiPutNumber(buffer(ctx) + kBodyAt + 3, packetLength, 3);
  return sendBuilt(ctx, adapter, target, 6);
}

int SmdiSendDataPacket(Context& ctx, int adapter, int target, std::uint32_t packet,
                       const std::uint8_t* data, std::uint32_t count) {
  // More than a packet would be more than the sampler agreed to take.
  if (count > kMaxDataPacket || (count > 0 && !data))
    return 0;
  if (!AspiWaitReady(ctx, adapter, target))
    return 0;
  SmdiStartMessage(ctx, kSmdiDataPacket, 0);
  std::uint8_t* b = buffer(ctx);
  SmdiPutNumber(b + kBodyAt, packet, 3);
  std::uint8_t* out = b + kBodyAt + 3;
  std::uint32_t i = 0;
  for (; i + 1 < count; i += 2) {
    out[i] = data[i + 1];
    out[i + 1] = data[i];
  }
  // A lone last byte has no partner to swap with; it goes as it is.
  if (i < count)
    out[i] = data[i];
  return sendBuilt(ctx, adapter, target, count + 3);
}

int SmdiSendSampleHeader(Context& ctx, int adapter, int target, const SmdiSampleHeaderFields& f) {
  if (!AspiWaitReady(ctx, adapter, target))
    return 0;
  const char* name = f.name ? f.name : "";
  std::size_t n = std::strlen(name);
  if (n > static_cast<std::size_t>(kMaxSentName))
    n = kMaxSentName;
  SmdiStartMessage(ctx, kSmdiSampleHeader, 1);
  std::uint8_t* b = buffer(ctx);
  SmdiPutNumber(b + 11, f.sample, 3);
  SmdiPutNumber(b + 14, 16, 1);
  SmdiPutNumber(b + 15, static_cast<std::uint32_t>(f.channels), 1);
  SmdiPutNumber(b + 16, SmdiConvertRate(f.rate), 3);
  SmdiPutNumber(b + 19, f.length, 4);
  SmdiPutNumber(b + 23, f.loopStart, 4);
  SmdiPutNumber(b + 27, f.loopEnd, 4);
  SmdiPutNumber(b + 31, static_cast<std::uint32_t>(f.loopControl), 1);
  SmdiPutNumber(b + 32, 60, 2);  // pitch: the sampler's default
  SmdiPutNumber(b + 34, 0, 2);
  SmdiPutNumber(b + 36, static_cast<std::uint32_t>(f.originalKey), 1);
  SmdiPutNumber(b + 37, static_cast<std::uint32_t>(f.lowestKey), 1);
  SmdiPutNumber(b + 38, static_cast<std::uint32_t>(f.highestKey), 1);
  SmdiPutNumber(b + 39, static_cast<std::uint32_t>(n), 1);
  std::memcpy(b + 40, name, n);
  return sendBuilt(ctx, adapter, target, 29 + static_cast<std::uint32_t>(n));
}

std::uint16_t SmdiReceiveReply(Context& ctx, int adapter, int target) {
  std::uint16_t id = 0;
  receive(ctx, adapter, target, &id);
  return id;
}

std::uint16_t SmdiReceiveHeaderReply(Context& ctx, int adapter, int target) {
  std::uint16_t id = SmdiReceiveReply(ctx, adapter, target);
  return id < kFirstHeaderReplyId ? 0 : id;
}

std::uint16_t SmdiAwaitReply(Context& ctx, int adapter, int target) {
  return awaitReply(ctx, adapter, target, 0,
                    [](Received got, std::uint16_t id, std::uint16_t* out) {
                      *out = id;
                      // The transport has named its failure already; asking again would only
                      // repeat it.
                      return got == Received::TransportFailed || (id != 0 && id != kSmdiWait);
                    });
}

std::uint16_t SmdiAwaitHeaderReply(Context& ctx, int adapter, int target) {
  return awaitReply(ctx, adapter, target, 0,
                    [](Received got, std::uint16_t id, std::uint16_t* out) {
                      // A Message Reject is the sampler's final word: asking again cannot turn
                      // it into a header.
                      *out = id < kFirstHeaderReplyId ? 0 : id;
                      return got == Received::TransportFailed || (id != 0 && id != kSmdiWait);
                    });
}

std::uint16_t SmdiAwaitListedHeader(Context& ctx, int adapter, int target) {
  return awaitReply(
      ctx, adapter, target, kSmdiWait, [](Received got, std::uint16_t id, std::uint16_t* out) {
        // A failed transfer ends the listing: the transport has named it, and the
        // next 999 numbers would only repeat the message.
        *out = got == Received::TransportFailed ? kSmdiWait : id < kFirstHeaderReplyId ? 0 : id;
        // An error is no answer: taken as an empty slot, a sample would vanish.
        return got == Received::TransportFailed || (got != Received::Errored && id != kSmdiWait);
      });
}

SmdiSampleHeaderReply SmdiReadSampleHeader(const Context& ctx) {
  SmdiSampleHeaderReply r;
  const std::uint8_t* b = ctx.smdiMessageBuffer;
  // Fields past the reply's stated end, or past the buffer, read as zero.
  std::uint64_t end = kSmdiHeaderSize + std::uint64_t{SmdiGetNumber(b + kLengthAt, 3)};
  if (end > static_cast<std::uint64_t>(kSmdiMessageBufferSize))
    end = kSmdiMessageBufferSize;
  auto field = [&](int at, int width) -> std::uint32_t {
    return static_cast<std::uint64_t>(at + width) <= end ? SmdiGetNumber(b + at, width) : 0;
  };
  r.bits = static_cast<int>(field(kBitsAt, 1));
  r.channels = static_cast<int>(field(kChannelsAt, 1));
  r.period = field(kPeriodAt, 3);
  r.length = field(kLengthFieldAt, 4);
  r.loopStart = field(kLoopStartAt, 4);
  r.loopEnd = field(kLoopEndAt, 4);
  r.loopControl = static_cast<int>(field(kLoopControlAt, 1));
  std::uint64_t n = field(kReadNameLengthAt, 1);
  if (kReadNameAt + n > end)
    n = end > static_cast<std::uint64_t>(kReadNameAt) ? end - kReadNameAt : 0;
  std::memcpy(r.name, b + kReadNameAt, static_cast<std::size_t>(n));
  r.name[n] = '\0';
  TrimTrailingBlanks(r.name);
  return r;
}

std::uint32_t SmdiConvertRate(std::uint32_t x) {
  // A sampler that reports a period of 0 gets a rate of 0, not a division by zero.
  if (x == 0)
    return 0;
  return static_cast<std::uint32_t>((10000.0 / x + 0.000009) * 100000.0);
}

std::uint32_t SmdiRateOfPeriod(std::uint32_t period) {
  static const std::uint32_t kStandardRates[] = {8000,  11025, 16000, 22050,
                                                 24000, 32000, 44100, 48000};
  for (std::uint32_t rate : kStandardRates) {
    const std::uint32_t standard = SmdiConvertRate(rate);
    if (period + 1 >= standard && period <= standard + 1)
      return rate;
  }
  return SmdiConvertRate(period);
}
