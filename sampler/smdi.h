#pragma once
// SMDI: messages to and from a sampler over SCSI SEND and RECEIVE. Every
// message is built in, and every reply received into, the context's one
// message buffer; reply fields stay readable there until the next exchange.
#include <cstdint>

struct Context;

constexpr int kSmdiMessageBufferSize = 16640;
constexpr int kSmdiHeaderSize = 11;
// Sample data a received Data Packet can hold after its packet number.
constexpr int kSmdiMaxPacketData = kSmdiMessageBufferSize - 14;

constexpr std::uint16_t kSmdiMessageReject = 0x0002;
constexpr std::uint16_t kSmdiAck = 0x0100;
constexpr std::uint16_t kSmdiWait = 0x0102;
constexpr std::uint16_t kSmdiSendNextPacket = 0x0103;
constexpr std::uint16_t kSmdiEndOfProcedure = 0x0104;
constexpr std::uint16_t kSmdiAbortProcedure = 0x0105;
constexpr std::uint16_t kSmdiDataPacket = 0x0110;
constexpr std::uint16_t kSmdiSampleHeaderRequest = 0x0120;
constexpr std::uint16_t kSmdiSampleHeader = 0x0121;
constexpr std::uint16_t kSmdiBeginSampleTransfer = 0x0122;
constexpr std::uint16_t kSmdiDeleteSample = 0x0124;

// Numbers in messages are unsigned, most significant byte first, 1 to 4 bytes.
void SmdiPutNumber(std::uint8_t* destination, std::uint32_t value, int width);
std::uint32_t SmdiGetNumber(const std::uint8_t* source, int width);
void SmdiStartMessage(Context& ctx, std::uint16_t id, std::uint16_t subId);

// Each send answers nonzero when the sampler took the message.
int SmdiAbortProcedure(Context& ctx, int adapter, int target);
int SmdiRequestSampleHeader(Context& ctx, int adapter, int target, std::uint32_t sample);
// Advances the progress bar by one once the unit was ready.
int SmdiDeleteSample(Context& ctx, int adapter, int target, std::uint32_t sample);
int SmdiSendNextPacket(Context& ctx, int adapter, int target, std::uint32_t packet);
int SmdiBeginSampleTransfer(Context& ctx, int adapter, int target, std::uint32_t sample,
                            std::uint32_t packetLength);
// data is little-endian 16-bit words, count bytes (at most 512: a larger
// count sends nothing and answers 0); the message carries them most
// significant byte first, a lone last byte as it is.
int SmdiSendDataPacket(Context& ctx, int adapter, int target, std::uint32_t packet,
                       const std::uint8_t* data, std::uint32_t count);

struct SmdiSampleHeaderFields {
  std::uint32_t sample = 0;
  int channels = 1;
  std::uint32_t length = 0;  // words per channel
  std::uint32_t rate = 0;    // hertz; sent as a period
  const char* name = "";     // at most 16 characters are sent
  std::uint32_t loopStart = 0;
  std::uint32_t loopEnd = 0;
  int loopControl = 0x7F;  // 0 loops
  int originalKey = 60;    // MIDI note numbers
  int lowestKey = 60;
  int highestKey = 60;
};
int SmdiSendSampleHeader(Context& ctx, int adapter, int target, const SmdiSampleHeaderFields& f);

// The reply's message ID, or 0 when none came.
std::uint16_t SmdiReceiveReply(Context& ctx, int adapter, int target);
// As SmdiReceiveReply, but IDs below 0x001A (Message Reject among them) read as 0.
std::uint16_t SmdiReceiveHeaderReply(Context& ctx, int adapter, int target);

// The bound of one wait: this many attempts, this many milliseconds apart,
// and never more than about three seconds in all.
constexpr int kSmdiReplyAttempts = 300;
constexpr unsigned kSmdiReplyPause = 10;
constexpr std::uint32_t kSmdiReplyMs = 3000;

// Asks again while the reply is none or Wait, within the bound. The first
// other ID settles it; 0 means the sampler stopped answering, and the user has
// been told through AspiTell ("Sampler (%d,%d) is not answering", or the SCSI
// message of a failed transfer, after which it does not ask again).
std::uint16_t SmdiAwaitReply(Context& ctx, int adapter, int target);
// The same for the answer to a Sample Header Request, where a Message Reject
// (an empty slot) settles at once as 0, without a message.
std::uint16_t SmdiAwaitHeaderReply(Context& ctx, int adapter, int target);
// The wait of a listing: asks again only on Wait, so none or a Message Reject
// settles as 0, an empty slot. Wait past the bound answers kSmdiWait, after
// the one message; so does a failed transfer, which the transport has named.
std::uint16_t SmdiAwaitListedHeader(Context& ctx, int adapter, int target);

// A Sample Header reply, read from the message buffer within its bounds.
struct SmdiSampleHeaderReply {
  int bits = 0;
  int channels = 0;
  std::uint32_t period = 0;  // nanoseconds
  std::uint32_t length = 0;  // words per channel
  std::uint32_t loopStart = 0;
  std::uint32_t loopEnd = 0;
  int loopControl = 0;
  char name[256] = {};  // trailing spaces removed
};
SmdiSampleHeaderReply SmdiReadSampleHeader(const Context& ctx);

// trunc(1e9 / x + 0.9): a rate in hertz to a period in nanoseconds and back.
// 0 gives 0.
std::uint32_t SmdiConvertRate(std::uint32_t x);
// The rate of a received period. The period of a standard rate (8 000 to
// 48 000 Hz), as Korrin sends it or within a nanosecond of it as a sampler
// may round it, gives that rate exactly: converted back, 48 000 Hz would come
// back as 47 999 and play mis-pitched.
std::uint32_t SmdiRateOfPeriod(std::uint32_t period);
