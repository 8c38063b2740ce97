#pragma once
// What the benchmarks share: the clock, the plain copy they are measured
// against, and a CD image file opened through the driver the window uses.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/context.h"
#include "media/cd_image_driver.h"
#include "tests/support/test_context.h"

constexpr std::uint32_t kBenchUnit = 16384;

inline double SecondsSince(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

inline void BenchFail(const std::string& what) {
  std::fprintf(stderr, "benchmark: %s\n", what.c_str());
  std::exit(1);
}

// A new folder for the benchmark's files.
inline std::string BenchFolder() {
  char folder[] = "/tmp/korrin-bench-XXXXXX";
  if (!mkdtemp(folder))
    BenchFail("no temporary folder");
  return folder;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The plain copy: bytes bytes from offset `from` of one file to offset `to` of
// another, in 16 384-byte reads and writes; the time it took.
inline double PlainCopy(const std::string& source, std::uint64_t from, std::uint64_t bytes,
                        const std::string& target, std::uint64_t to, bool create) {
  // Opened before the clock starts, as the commands open Korrin's file.
  int in = open(source.c_str(), O_RDONLY);
  int out = open(target.c_str(), create ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY, 0644);
  if (in < 0 || out < 0)
    BenchFail("cannot open the plain copy's files");
  std::vector<char> buffer(kBenchUnit);
  auto start = std::chrono::steady_clock::now();
  lseek(in, static_cast<off_t>(from), SEEK_SET);
  lseek(out, static_cast<off_t>(to), SEEK_SET);
  for (std::uint64_t left = bytes; left > 0;) {
    auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kBenchUnit));
    if (read(in, buffer.data(), n) != static_cast<ssize_t>(n) ||
        write(out, buffer.data(), n) != static_cast<ssize_t>(n))
      BenchFail("plain copy failed");
    left -= n;
  }
  double taken = SecondsSince(start);
  close(in);
  close(out);
  return taken;
}

// Opens the CD image file through the driver, as "Add..." does, and lists it;
// the image's device node.
inline int OpenBenchImage(PosixContext& program, CdImageDriver& driver, const std::string& path) {
  Context& ctx = program.ctx;
  addNode(ctx, 0, Root, ctx.programTitle.c_str());
  if (!RegisterDiskOs(ctx, driver))
    BenchFail("driver not registered");
  DiskOsRequest add = makeSubRequest(AddDevice);
  add.par0 = program.files.open(path, FileOpen::ReadWriteExisting);
  add.par1 = reinterpret_cast<DiskOsWord>(path.c_str());
  add.par2 = reinterpret_cast<DiskOsWord>("bench.iso");
  add.diskOs = static_cast<DiskOsWord>(driver.ownIndex());
  if (add.par0 == kNoFile || SendDiskOs(ctx, add) != 0)
    BenchFail("image not added");
  int device = driver.device(0).node;
  listDevice(ctx, device, false);
  return device;
}
