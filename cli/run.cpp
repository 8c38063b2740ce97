#include "cli/run.h"

#include <cstring>

#include "cli/commands.h"
#include "core/file_names.h"

namespace {

using Handler = int (*)(ImageSession&, const CliStreams&, const CommandArgs&);

struct Command {
  const char* name;
  const char* usage;  // after "korrin NAME "
  const char* summary;
  int minArgs;  // after IMAGE
  int maxArgs;  // -1: any number
  bool writes;
  Handler run;  // null: create
  // IMAGE BANK may be a bank file (".e3x", ".eos") alone.
  bool bankFile = false;
};

const Command kCommands[] = {
    {"list", "IMAGE", "List the banks: number, name, size (in bytes when not on a terminal).", 0, 0,
     false, ListCommand},
    {"export", "IMAGE BANK [FILE]",
     "Copy a bank into a bank file, by default \"NN name.e3x\" in the current folder.\n"
     "An existing file is never replaced.",
     1, 2, false, ExportCommand},
    {"import", "IMAGE FILE...",
     "Copy bank files onto the image, each under the lowest free bank number.\n"
     "Prints each new bank.",
     1, -1, true, ImportCommand},
    {"delete", "IMAGE BANK", "Delete a bank.", 1, 1, true, DeleteCommand},
    {"rename", "IMAGE BANK NAME", "Rename a bank (up to 16 characters).", 2, 2, true,
     RenameCommand},
    {"renumber", "IMAGE BANK NUMBER",
     "Give a bank another number (0-99); banks in its way move up by one.", 2, 2, true,
     RenumberCommand},
    {"check", "IMAGE",
     "Check the disk's tables without writing; prints what is damaged.\n"
     "Exit status 1 when damage was found.",
     0, 0, false, CheckCommand},
    {"create", "IMAGE", "Make a new, empty CD image. An existing file is never replaced.", 0, 0,
     true, nullptr},
    {"contents", "IMAGE BANK | FILE.e3x",
     "List a bank's presets and samples: ID, name, then for a sample its size,\n"
     "channels, rate, length in seconds and loop (first-last frame).",
     1, 1, false, ContentsCommand, true},
    {"extract", "IMAGE BANK [DIR] | FILE.e3x [DIR]",
     "Write every sample of a bank as a WAV file \"NNN name.wav\" in DIR (by default\n"
     "the current folder). An existing file is never replaced.",
     1, 2, false, ExtractCommand, true},
    {"new-bank", "IMAGE NAME WAV... | --to FILE.e3x NAME WAV...",
     "Build one bank from WAV files (16-bit mono or stereo, 7000-44100 Hz), its\n"
     "samples numbered in the order of the files' names, and put it on the image\n"
     "under the lowest free bank number, or with --to into a new bank file.",
     2, -1, true, NewBankCommand},
};

bool isBankFileName(const std::string& path) {
  std::string extension = LowerExtension(path);
  return extension == ".e3x" || extension == ".eos";
}

constexpr const char* kImages =
    "IMAGE is a CD image (a name ending in .iso) or the image file of a disk as SCSI\n"
    "disk emulators keep them (HD0.img, HD1.hda, ...). BANK is a bank's number as\n"
    "list shows it (B03, 03 or 3) or its name. list, export and check never write\n"
    "to the image.\n";

void printUsage(std::FILE* to) {
  std::fprintf(to, "Usage: korrin COMMAND ARGUMENTS...\n       korrin COMMAND --help\n\n");
  for (const Command& c : kCommands)
    std::fprintf(to, "  korrin %-9s %s\n", c.name, c.usage);
  std::fprintf(to, "\n%s\nExit status: 0 done, 1 failed or damage found, 2 bad usage.\n", kImages);
}

void printCommandHelp(std::FILE* to, const Command& c) {
  std::fprintf(to, "Usage: korrin %s %s\n\n%s\n\n%s", c.name, c.usage, c.summary, kImages);
}

int usageError(const CliStreams& io, const std::string& text, const Command* c) {
  std::fprintf(io.err, "korrin: %s\n", text.c_str());
  if (c)
    std::fprintf(io.err, "Usage: korrin %s %s (korrin %s --help)\n", c->name, c->usage, c->name);
  else
    std::fprintf(io.err, "Try korrin --help\n");
  return kExitUsage;
}

const Command* findCommand(const std::string& name) {
  for (const Command& c : kCommands) {
    if (name == c.name)
      return &c;
  }
  return nullptr;
}

bool isHelp(const std::string& word) {
  return word == "--help" || word == "-h";
}

// What a command's arguments must satisfy before anything is opened.
std::string badArgument(const Command& c, const CommandArgs& args) {
  std::string name = c.name;
  if (name == "rename" && (args[1].empty() || args[1].size() > 16))
    return "a bank name holds 1 to 16 characters";
  if (name == "renumber" && ParseBankNumber(args[1]) < 0)
    return "a bank number is 0 to 99";
  return std::string();
}

}  // namespace

int RunKorrin(const std::vector<std::string>& args, Files& files, const CliStreams& io) {
  if (args.empty())
    return usageError(io, "no command given", nullptr);
  const std::string& first = args[0];
  if (isHelp(first) || first == "help") {
    const Command* c = args.size() > 1 ? findCommand(args[1]) : nullptr;
    if (c)
      printCommandHelp(io.out, *c);
    else
      printUsage(io.out);
    return kExitOk;
  }
  if (first == "--version") {
    ImageSession s(files, io, false);
    std::fprintf(io.out, "korrin %s\n", s.ctx.versionNumberText.c_str());
    return kExitOk;
  }
  const Command* c = findCommand(first);
  if (!c)
    return usageError(io, "unknown command \"" + first + "\"", nullptr);

  // Options may stand anywhere before "--": --help, and new-bank's --to.
  std::vector<std::string> words;
  bool options = true, toFile = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& w = args[i];
    if (options && w == "--") {
      options = false;
    } else if (options && w == "--to" && c->run == NewBankCommand && words.empty()) {
      toFile = true;
    } else if (options && isHelp(w)) {
      printCommandHelp(io.out, *c);
      return kExitOk;
    } else if (options && w.size() > 1 && w[0] == '-') {
      return usageError(io, "unknown option \"" + w + "\"", c);
    } else {
      words.push_back(w);
    }
  }
  if (words.empty())
    return usageError(io, "no image given", c);
  // A bank file stands for IMAGE BANK, and a new bank file for IMAGE: no
  // image is opened, and the file comes first among the arguments.
  const bool noImage = toFile || (c->bankFile && isBankFileName(words[0]));
  CommandArgs rest(words.begin() + (noImage ? 0 : 1), words.end());
  int count = static_cast<int>(rest.size()) - (toFile ? 1 : 0);
  if (count < c->minArgs || (c->maxArgs >= 0 && count > c->maxArgs))
    return usageError(io, "wrong number of arguments", c);
  std::string bad = badArgument(*c, rest);
  if (!bad.empty())
    return usageError(io, bad, c);

  ImageSession session(files, io, c->writes);
  if (!c->run)
    return CreateCommand(session, words[0]);
  if (noImage)
    return c->run(session, io, rest);
  if (!session.open(words[0]))
    return kExitFailed;
  return c->run(session, io, rest);
}
