#pragma once
// A sample of a bank written out as a WAV file the way Korrin writes all its
// WAV files: the canonical header, the channels interleaved, the sample's own
// rate, and a "smpl" chunk with the bank's loop points when it loops.
#include <string>

#include "esifs/bank_contents.h"

struct Context;

// "NNN name.wav", the name cleaned as a received sample's name is.
std::string ExtractFileName(const BankSample& sample);

// Streams the sample's audio from the bank into a new file at path; false
// after a message, and then no file is left at path.
bool ExtractSample(Context& ctx, BankBytes& bank, const BankSample& sample,
                   const std::string& path);
