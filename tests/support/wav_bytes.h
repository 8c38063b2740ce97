#pragma once
// WAV files built byte by byte as other programs write them, and the audio
// tools run on them, for the tests of WAV reading and sample transfers.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using WavChunks = std::vector<std::pair<const char*, std::vector<std::uint8_t>>>;

// A RIFF file: a 16-bit format chunk (tag 1 = PCM unless told), then the
// chunks given, each padded to an even length as RIFF wants.
inline std::vector<std::uint8_t> RiffFile(int channels, WavChunks chunks, int tag = 1,
                                          std::uint32_t rate = 44100) {
  std::vector<std::uint8_t> fmt, f = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  auto put = [](std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      b.push_back(std::uint8_t(v >> 8 * i));
  };
  for (std::uint32_t v : {std::uint32_t(tag | channels << 16), rate, 2 * rate * channels,
                          std::uint32_t(2 * channels | 16 << 16)})
    put(fmt, v);
  chunks.insert(chunks.begin(), {"fmt ", fmt});
  for (auto& [name, body] : chunks) {
    f.insert(f.end(), name, name + 4);
    put(f, std::uint32_t(body.size()));
    f.insert(f.end(), body.begin(), body.end());
    if (body.size() % 2)
      f.push_back(0);
  }
  return f;
}

// A "smpl" chunk body of size bytes; from 52 bytes on it holds one loop
// whose first and last frames played are start and last.
inline std::vector<std::uint8_t> SmplBody(std::uint32_t size, std::uint32_t loops,
                                          std::uint32_t start, std::uint32_t last) {
  std::vector<std::uint8_t> b(size);
  for (auto [at, v] : {std::pair{28u, loops}, {44u, start}, {48u, last}})
    for (std::uint32_t i = 0; i < 4 && at + i < size; ++i)
      b[at + i] = std::uint8_t(v >> 8 * i);
  return b;
}

// What a command prints on its standard output.
inline std::string RunTool(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
    out += static_cast<char>(c);
  if (pipe)
    pclose(pipe);
  return out;
}
