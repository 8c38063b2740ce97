#pragma once
// One run of the command-line program over one image: the program context
// over the command line's ports, the image opened through the driver the
// window uses for it, its banks as the window lists them, and which bank a
// command line names.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/guarded_files.h"
#include "cli/no_views.h"
#include "cli/progress_bar.h"
#include "core/context.h"
#include "platform/fake/memory_registry.h"

struct CliStreams {
  std::FILE* out;
  std::FILE* err;
  bool outIsTerminal;
  bool errIsTerminal;
};

// A name ending in ".iso" is a CD image; anything else the image file of a
// disk, as SCSI disk emulators keep them.
bool IsCdImageName(const std::string& path);

class ImageSession {
 public:
  // writing: whether the command may change the image; when not, the image
  // is opened for reading and no write reaches it.
  ImageSession(Files& files, const CliStreams& io, bool writing);
  ImageSession(const ImageSession&) = delete;
  ImageSession& operator=(const ImageSession&) = delete;
  ~ImageSession();

  // Opens the image and lists its banks; false after a message.
  bool open(const std::string& path);
  // Lists the banks again, as the window does after a change.
  void relist();
  // The bank nodes in number order.
  std::vector<int> banks() const;
  // The bank named by a number ("3", "03", "B03") or a name; 0 after a message.
  int findBank(const std::string& which);
  // "B03 PIANO"
  std::string bankLabel(int bank) const;
  // Messages from now on concern this (under the image's name); "" for the image.
  void about(const std::string& what);

  const std::string& path() const { return path_; }
  int device() const { return device_; }
  bool refusedWrite() const { return files_.refusedWrite(); }

  GuardedFiles files_;
  MemoryRegistry registry_;
  CliHost host;
  NoViews views_;
  ProgressBar bar;
  Context ctx;

 private:
  std::string path_;
  int device_ = 0;
};

// A bank number as typed: 0..99, with or without "B"; -1 when it is none.
int ParseBankNumber(const std::string& text);
