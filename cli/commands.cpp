#include "cli/commands.h"

#include <cstdio>
#include <set>

#include "cli/image_session.h"
#include "core/file_names.h"
#include "esifs/bank_disk.h"
#include "esifs/bank_edit.h"
#include "esifs/bank_index.h"
#include "esifs/bank_transfer.h"
#include "esifs/check_disk.h"
#include "media/image_commands.h"

namespace {

// The window's messages for a file the user chose.
constexpr const char* kOpenFailed = "Unable to open Windows file";

}  // namespace

void PrintRow(const CliStreams& io, const std::vector<std::string>& cells,
              const std::vector<int>& widths) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    bool last = i + 1 == cells.size();
    line += cells[i];
    if (last)
      break;
    if (!io.outIsTerminal) {
      line += '\t';
      continue;
    }
    int width = i < widths.size() ? widths[i] : 0;
    line.append(cells[i].size() < static_cast<std::size_t>(width) ? width - cells[i].size() : 0,
                ' ');
    line += "  ";
  }
  std::fprintf(io.out, "%s\n", line.c_str());
}

void PrintBank(ImageSession& s, const CliStreams& io, int bank) {
  const TreeNode& n = s.ctx.nodes[bank];
  PrintRow(io,
           {BankNumberText(n.number), n.name,
            io.outIsTerminal ? FormatSize(n.size) : std::to_string(n.size)},
           {3, 16});
}

bool Quietly(ImageSession& s, const std::function<void()>& operation) {
  int before = s.host.messageCount();
  s.ctx.busy = 1;
  operation();
  s.ctx.busy = 0;
  return s.host.messageCount() == before;
}

std::string DefaultExportName(int number, const std::string& name) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%.2d ", number);
  return prefix + cleanFileName(name) + ".e3x";
}

int ListCommand(ImageSession& s, const CliStreams& io, const CommandArgs&) {
  for (int bank : s.banks())
    PrintBank(s, io, bank);
  return kExitOk;
}

int ExportCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args) {
  int bank = s.findBank(args[0]);
  if (bank == 0)
    return kExitFailed;
  const TreeNode& n = s.ctx.nodes[bank];
  std::string path = args.size() > 1 ? args[1] : DefaultExportName(n.number, n.name);
  s.about(path);
  // Never over another file: it may be the image itself, or another bank.
  if (FileExists(s.files_, path)) {
    s.host.message(kFileExists);
    return kExitFailed;
  }
  s.ctx.openFile = s.files_.open(path, FileOpen::CreateAlways);
  if (s.ctx.openFile == kNoFile) {
    s.host.message(kOpenFailed);
    return kExitFailed;
  }
  s.about(s.bankLabel(bank));
  int before = s.host.messageCount();
  bool exported = Quietly(s, [&] { ExportBank(s.ctx, bank); });
  if (!exported) {
    // A bank cut short on disk leaves the part found, as the message says;
    // any other failure leaves a file that is no bank at all.
    bool cutShort = s.host.messageCount() == before + 1 && s.host.lastMessage() == kCutShort;
    if (!cutShort)
      s.files_.remove(path);
    return kExitFailed;
  }
  std::fprintf(io.out, "%s\n", path.c_str());
  return kExitOk;
}

int ImportCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args) {
  int status = kExitOk;
  for (const std::string& path : args) {
    s.about(path);
    std::set<int> before;
    for (int bank : s.banks())
      before.insert(s.ctx.nodes[bank].number);
    s.ctx.openFile = s.files_.open(path, FileOpen::ReadExisting);
    if (s.ctx.openFile == kNoFile) {
      s.host.message(kOpenFailed);
      status = kExitFailed;
      continue;
    }
    if (!Quietly(s, [&] { ImportBank(s.ctx, s.device(), path); })) {
      status = kExitFailed;
      continue;
    }
    for (int bank : s.banks()) {
      if (before.count(s.ctx.nodes[bank].number) == 0)
        PrintBank(s, io, bank);
    }
  }
  return status;
}

int DeleteCommand(ImageSession& s, const CliStreams&, const CommandArgs& args) {
  int bank = s.findBank(args[0]);
  if (bank == 0)
    return kExitFailed;
  s.about(s.bankLabel(bank));
  return Quietly(s, [&] { DeleteBank(s.ctx, bank); }) ? kExitOk : kExitFailed;
}

int RenameCommand(ImageSession& s, const CliStreams&, const CommandArgs& args) {
  int bank = s.findBank(args[0]);
  if (bank == 0)
    return kExitFailed;
  std::string old = s.ctx.nodes[bank].name;
  if (old == args[1])
    return kExitOk;
  s.about(s.bankLabel(bank));
  bool renamed = false;
  bool quiet = Quietly(s, [&] { renamed = RenameBank(s.ctx, bank, old, args[1]); });
  return renamed && quiet ? kExitOk : kExitFailed;
}

int RenumberCommand(ImageSession& s, const CliStreams&, const CommandArgs& args) {
  int bank = s.findBank(args[0]);
  if (bank == 0)
    return kExitFailed;
  int number = ParseBankNumber(args[1]);
  if (number == s.ctx.nodes[bank].number)
    return kExitOk;
  s.about(s.bankLabel(bank));
  return Quietly(s, [&] { RenumberBank(s.ctx, bank, number); }) ? kExitOk : kExitFailed;
}

int CheckCommand(ImageSession& s, const CliStreams& io, const CommandArgs&) {
  int status = kExitOk;
  std::vector<DiskFinding> findings = CheckDisk(s.ctx, s.device());
  for (const DiskFinding& f : findings) {
    PrintRow(io, {f.number < 0 ? "-" : BankNumberText(f.number), f.name, f.text}, {3, 16});
    if (f.damage)
      status = kExitFailed;
  }
  if (io.errIsTerminal) {
    s.about("");
    std::fprintf(io.err, "%s: %zu banks, %s\n", s.path().c_str(), s.banks().size(),
                 status == kExitOk ? "no damage found" : "damaged");
  }
  return status;
}

int CreateCommand(ImageSession& s, const std::string& path) {
  s.about(path);
  // Creating replaces a file; an image with banks on it must not go that way.
  if (FileExists(s.files_, path)) {
    s.host.message(kFileExists);
    return kExitFailed;
  }
  return CreateImageFile(s.ctx, path) ? kExitOk : kExitFailed;
}
