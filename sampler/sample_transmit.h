#pragma once
// Sending a WAV file to a sampler as a new sample, optionally placed over a
// key range. Runs on the user-interface thread.
#include <string>

struct Context;

// What the "Transmit sample" dialog chose. Note list index k stands for MIDI
// note k + 21; sample list entry k for sample number k + 1.
struct TransmitChoice {
  int originalKey = 0;
  int from = 0;
  int to = 0;
  int sampleEntry = 0;
};

// The sample name a file name gives: the text before its first ".wav" (any
// letter case), at most 16 characters.
std::string SampleNameFromFile(const std::string& fileName);

// Sends the WAV file open in ctx.openFile to the sampler of samplerNode;
// fileName (without its folder) names the sample. Every failure has been told
// by then. The file stays open.
bool TransmitSample(Context& ctx, int samplerNode, const TransmitChoice& choice,
                    const std::string& fileName);

// The whole command once the file is open in ctx.openFile: transmits it with
// the busy flag set, closes the file, and on success lists the sampler again.
void RunTransmission(Context& ctx, int samplerNode, const TransmitChoice& choice,
                     const std::string& fileName);
