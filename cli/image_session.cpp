#include "cli/image_session.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "core/file_names.h"
#include "esifs/bank_index.h"
#include "media/cd_image_driver.h"
#include "media/disk_image_driver.h"
#include "media/image_commands.h"

bool IsCdImageName(const std::string& path) {
  return LowerExtension(path) == ".iso";
}

int ParseBankNumber(const std::string& text) {
  std::string digits = !text.empty() && (text[0] == 'B' || text[0] == 'b') ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 2)
    return -1;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return -1;
  }
  return std::stoi(digits);
}

ImageSession::ImageSession(Files& files, const CliStreams& io, bool writing)
    : files_(files, !writing),
      host(io.err),
      bar(io.err, io.errIsTerminal),
      ctx(Ports{files_, registry_, host, views_, bar}) {
  bar.follow(ctx.lcd);
  host.setBar(&bar);
  addNode(ctx, 0, Root, ctx.programTitle.c_str());
  // The image list lives in memory: the window's list stays as it is.
  ctx.settingsKey = registry_.createKey(kLocalMachine, "Software\\Brightfen\\Korrin\\command line");
}

ImageSession::~ImageSession() {
  bar.clear();
  if (device_ != 0)
    RemoveImageCommand(ctx, device_);
}

bool ImageSession::open(const std::string& path) {
  path_ = path;
  about("");
  bool cd = IsCdImageName(path);
  if (cd)
    ctx.drivers.push_back(std::make_unique<CdImageDriver>(ctx));
  else
    ctx.drivers.push_back(std::make_unique<DiskImageDriver>(ctx));
  DiskOsDriver& driver = *ctx.drivers.back();
  if (!RegisterDiskOs(ctx, driver))
    return false;
  int before = host.messageCount();
  if (cd)
    AddImageFile(ctx, path);
  else
    static_cast<DiskImageDriver&>(driver).AddImageFile(path);
  for (int i = 1; i < ctx.nodes.count && device_ == 0; ++i) {
    if (ctx.nodes[i].type == ImageFile)
      device_ = i;
  }
  if (device_ == 0) {
    // The CD image driver drops an image that does not open without a word.
    if (host.messageCount() == before) {
      FileHandle file = files_.open(path, FileOpen::ReadExisting);
      if (file == kNoFile)
        host.message(
            "Unable to open the CD image file: it is missing or in use by another program");
      else if (files_.refusedWrite())
        host.message("The disk claims more than a CD holds; a writing command corrects that");
      else
        host.message("The file holds no ESi disk that Korrin can use");
      files_.close(file);
    }
    return false;
  }
  listDevice(ctx, device_, false);
  if (!ctx.nodes[device_].ready) {
    host.message("Error reading Bank Index Table");
    return false;
  }
  return true;
}

void ImageSession::relist() {
  removeChildren(ctx, device_, false);
  listDevice(ctx, device_, false);
}

std::vector<int> ImageSession::banks() const {
  std::vector<int> found;
  for (int i = device_ + 1; device_ != 0 && i < ctx.nodes.count; ++i) {
    if (ctx.nodes[i].parent == device_ && ctx.nodes[i].type == Bank)
      found.push_back(i);
  }
  std::stable_sort(found.begin(), found.end(),
                   [this](int a, int b) { return ctx.nodes[a].number < ctx.nodes[b].number; });
  return found;
}

int ImageSession::findBank(const std::string& which) {
  int number = ParseBankNumber(which);
  std::vector<int> exact, folded;
  for (int bank : banks()) {
    const TreeNode& n = ctx.nodes[bank];
    if (number >= 0 ? n.number == number : which == n.name)
      exact.push_back(bank);
    else if (number < 0 && LowerCase(which) == LowerCase(n.name))
      folded.push_back(bank);
  }
  const std::vector<int>& matches = exact.empty() ? folded : exact;
  about("");
  if (matches.empty()) {
    host.message(number >= 0 ? "No bank " + BankNumberText(number)
                             : "No bank named \"" + which + "\"");
    return 0;
  }
  if (matches.size() > 1) {
    host.message(number >= 0 ? "More than one bank is numbered " + BankNumberText(number) +
                                   ": the disk is damaged (see korrin check)"
                             : "More than one bank is named \"" + which + "\": give its number");
    return 0;
  }
  return matches[0];
}

std::string ImageSession::bankLabel(int bank) const {
  return BankNumberText(ctx.nodes[bank].number) + " " + ctx.nodes[bank].name;
}

void ImageSession::about(const std::string& what) {
  if (path_.empty() || what.empty())
    host.setSubject(path_.empty() ? what : path_);
  else
    host.setSubject(path_ + ": " + what);
}
