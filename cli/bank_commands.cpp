// The commands that look inside a bank, on an image or in a bank file: its
// presets and samples, its samples as WAV files, and a new bank built from
// WAV files.
#include <cstdio>
#include <memory>
#include <set>

#include "cli/commands.h"
#include "cli/image_session.h"
#include "esifs/bank_builder.h"
#include "esifs/bank_bytes.h"
#include "esifs/bank_contents.h"
#include "esifs/sample_extract.h"
#include "esifs/wav_bank_plan.h"

namespace {

// The bank a command line names: BANK on the open image, or, when no image
// was opened, the bank file named first. Null after a message.
std::unique_ptr<BankBytes> openBank(ImageSession& s, const std::string& which) {
  if (s.device() == 0) {
    s.about(which);
    std::unique_ptr<BankBytes> bank = OpenBankFile(s.files_, which);
    if (!bank)
      s.host.message("Unable to open Windows file");
    return bank;
  }
  int node = s.findBank(which);
  if (node == 0)
    return nullptr;
  s.about(s.bankLabel(node));
  return OpenBankOnDisk(s.ctx, node);
}

// The contents, with one message when the bank is damaged; false when it
// could not be read at all.
bool readContents(ImageSession& s, BankBytes& bank, BankContents* contents) {
  if (!ReadBankContents(bank, contents)) {
    s.host.message("Error reading bank");
    return false;
  }
  if (contents->damaged)
    s.host.message(kBankContentsDamaged);
  return true;
}

std::string seconds(const BankSample& sample) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f",
                sample.rate ? static_cast<double>(sample.frames) / sample.rate : 0.0);
  return text;
}

}  // namespace

int ContentsCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args) {
  std::unique_ptr<BankBytes> bank = openBank(s, args[0]);
  BankContents contents;
  if (!bank || !readContents(s, *bank, &contents))
    return kExitFailed;
  char id[8];
  for (const BankPreset& p : contents.presets) {
    std::snprintf(id, sizeof id, "P%.3d", p.number);
    PrintRow(io, {id, p.name, p.damaged ? "damaged" : ""}, {4, 16});
  }
  for (const BankSample& m : contents.samples) {
    std::snprintf(id, sizeof id, "S%.3d", m.number);
    if (m.damaged) {
      PrintRow(io, {id, m.name, "damaged"}, {4, 16});
      continue;
    }
    std::string loop = m.loops ? std::to_string(m.loopStart) + "-" + std::to_string(m.loopEnd) : "";
    PrintRow(io,
             {id, m.name, io.outIsTerminal ? FormatSize(m.size) : std::to_string(m.size),
              std::to_string(m.channels), std::to_string(m.rate), seconds(m), loop},
             {4, 16, 10, 1, 5, 6});
  }
  return contents.damaged ? kExitFailed : kExitOk;
}

int ExtractCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args) {
  std::unique_ptr<BankBytes> bank = openBank(s, args[0]);
  BankContents contents;
  if (!bank || !readContents(s, *bank, &contents))
    return kExitFailed;
  std::string folder = args.size() > 1 ? args[1] + "/" : "";
  int status = contents.damaged ? kExitFailed : kExitOk;
  for (const BankSample& m : contents.samples) {
    if (m.damaged)
      continue;
    std::string path = folder + ExtractFileName(m);
    s.about(path);
    if (FileExists(s.files_, path)) {
      s.host.message(kFileExists);
      status = kExitFailed;
      continue;
    }
    if (!ExtractSample(s.ctx, *bank, m, path)) {
      status = kExitFailed;
      continue;
    }
    std::fprintf(io.out, "%s\n", path.c_str());
  }
  return status;
}

int NewBankCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args) {
  // Without an image, the first word is the bank file to write.
  const bool toFile = s.device() == 0;
  std::size_t first = toFile ? 1 : 0;
  std::vector<std::string> wavs(args.begin() + first + 1, args.end());
  BankPlan plan;
  std::string refusal;
  if (!PlanBank(s.files_, wavs, args[first], &plan, &refusal)) {
    s.host.message(refusal);
    return kExitFailed;
  }
  if (toFile) {
    s.about(args[0]);
    if (FileExists(s.files_, args[0])) {
      s.host.message(kFileExists);
      return kExitFailed;
    }
    return WriteBankFile(s.ctx, plan, args[0]) ? kExitOk : kExitFailed;
  }
  std::set<int> before;
  for (int bank : s.banks())
    before.insert(s.ctx.nodes[bank].number);
  if (!Quietly(s, [&] { ImportNewBank(s.ctx, s.device(), plan); }))
    return kExitFailed;
  for (int bank : s.banks()) {
    if (before.count(s.ctx.nodes[bank].number) == 0)
      PrintBank(s, io, bank);
  }
  return kExitOk;
}
