// WAV files as other programs write them: built here byte by byte, and made
// by sox and libsndfile. (The files Korrin writes are read back by those
// tools in the sample transfer tests.)
#include "audio/wav.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/fake/memory_files.h"
#include "platform/fake/posix_files.h"
#include "tests/support/wav_bytes.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string temp(const std::string& name) {
  return testing::TempDir() + "korrin_wav_" + name;
}

struct Read {
  WavProblem problem;
  WavFormat format;
  WavLoop loop;
  Bytes audio;
};
Read readWav(Files& files, const std::string& path) {
  Read r;
  FileHandle file = files.open(path, FileOpen::ReadExisting);
  r.problem = ReadWavFormat(files, file, &r.format);
  if (r.problem == WavProblem::None)
    r.problem = GetWavLoop(files, file, r.format, 77, &r.loop);
  r.audio.resize(r.format.audioBytes);
  std::uint32_t got = 0;
  files.seek(file, r.format.dataOffset);
  files.read(file, r.audio.data(), r.format.audioBytes, &got);
  files.close(file);
  return r;
}

// What a read gives: problem, channels, audio bytes, loop start-end/control.
std::string summary(const Read& r) {
  char text[64];
  std::snprintf(text, sizeof text, "%d %d %u %u-%u/%d", static_cast<int>(r.problem),
                r.format.channels, r.format.audioBytes, r.loop.start, r.loop.end, r.loop.control);
  return text;
}

TEST(WavRead, ChunksAndLoopsOfHandMadeFiles) {
  Bytes odd = {1, 2, 3, 4, 5};
  Bytes overlong = RiffFile(2, {{"data", odd}});
  overlong[40] = 0xFF;  // states far more audio than the file holds
  Bytes unpadded = RiffFile(1, {{"LIST", {1, 2, 3}}, {"data", odd}});
  unpadded.erase(unpadded.begin() + 47);  // the odd LIST chunk's pad byte
  std::pair<Bytes, std::string> cases[] = {
      // An odd-sized chunk before the audio, padded as RIFF wants.
      {RiffFile(1, {{"LIST", {1, 2, 3}}, {"data", odd}}), "0 1 4 0-77/127"},
      {unpadded, "0 1 4 0-77/127"},
      {RiffFile(1, {{"data", odd}, {"smpl", SmplBody(36, 0, 1000, 1999)}}), "0 1 4 0-77/127"},
      {RiffFile(1, {{"data", odd}, {"smpl", SmplBody(60, 1, 1000, 1999)}}), "0 1 4 1000-2000/0"},
      {RiffFile(1, {{"data", odd}, {"smpl", SmplBody(84, 2, 1000, 1999)}}), "4 1 4 0-77/127"},
      {overlong, "0 2 4 0-77/127"},
      {RiffFile(1, {{"data", odd}}, 3), "1 1 0 0-0/127"},  // floating point
      {RiffFile(3, {{"data", odd}}), "3 3 0 0-0/127"},
      {Bytes(overlong.begin(), overlong.begin() + 30), "1 0 0 0-0/127"},
  };
  for (auto& [file, expected] : cases) {
    MemoryFiles files;
    files.data("x.wav") = file;
    Read r = readWav(files, "x.wav");
    EXPECT_EQ(summary(r), expected);
    EXPECT_EQ(r.audio, Bytes(odd.begin(), odd.begin() + r.format.audioBytes));
  }
}

// sox and libsndfile write canonical, extensible and tagged files; the audio
// read must be exactly what sox decodes as raw 16-bit samples.
TEST(WavRead, FilesOfOtherProgramsGiveTheirAudio) {
  if (RunTool("sox --version").empty())
    GTEST_SKIP() << "sox is not installed";  // nor is it in the Windows build's runs
  std::string synth = " synth 0.05 sine 440 sine 660";
  std::string mono = temp("mono.wav"), stereo = temp("stereo.wav"), tagged = temp("tagged.wav");
  RunTool("sox -n -r 44100 -b 16 -c 1 " + mono + synth);
  RunTool("sox -n -r 22050 -b 16 -c 2 " + stereo + synth);
  RunTool("cp " + mono + " " + tagged + ".in && sndfile-metadata-set --str-comment hi " + tagged +
          ".in && sndfile-convert " + tagged + ".in " + tagged);  // LIST before "data"
  RunTool("sndfile-convert " + stereo + " " + temp("x.wavex"));
  RunTool("sox -V1 -n -b 8 " + temp("8.wav") + synth + " && sox -n -b 24 " + temp("24.wav") +
          synth);
  PosixFiles files;
  for (std::string path : {mono, stereo, tagged, temp("x.wavex")}) {
    Read r = readWav(files, path);
    SCOPED_TRACE(path);
    ASSERT_EQ(r.problem, WavProblem::None);
    std::string raw = RunTool("sox " + path + " -t raw -e signed -b 16 -L -");
    EXPECT_EQ(std::string(r.audio.begin(), r.audio.end()), raw);
    EXPECT_EQ(r.format.rate, path == mono || path == tagged ? 44100u : 22050u);
  }
  EXPECT_EQ(readWav(files, temp("8.wav")).problem, WavProblem::Not16Bit);
  EXPECT_EQ(readWav(files, temp("24.wav")).problem, WavProblem::Not16Bit);
}

}  // namespace
