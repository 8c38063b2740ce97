#pragma once
// The commands of the command-line program, each over an image session that
// has the image open (create: not yet). Each answers the exit status: 0 done,
// 1 failed (after a message on standard error).
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"

class ImageSession;
struct CliStreams;

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using CommandArgs = std::vector<std::string>;  // after the command's name and IMAGE

int ListCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
int ExportCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
int ImportCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
int DeleteCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
int RenameCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
int RenumberCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
int CheckCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
// The bank commands take a bank file in place of IMAGE BANK; the session then
// has no image open, and args[0] is the file (for new-bank, the file to write).
int ContentsCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
int ExtractCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
int NewBankCommand(ImageSession& s, const CliStreams& io, const CommandArgs& args);
// Works on a session without an image: makes the image named by path.
int CreateCommand(ImageSession& s, const std::string& path);

// No command replaces a file: it may be the image itself, or another bank.
constexpr const char* kFileExists = "The file already exists; remove it first or name another";

// One result line: tab-separated for programs, in columns of these widths for
// people; a bank's line as list prints it.
void PrintRow(const CliStreams& io, const std::vector<std::string>& cells,
              const std::vector<int>& widths);
void PrintBank(ImageSession& s, const CliStreams& io, int bank);
// Runs an operation with the busy flag set, as the window does; true when it
// gave no message.
bool Quietly(ImageSession& s, const std::function<void()>& operation);

// The file name Export offers for a bank: "NN name.e3x", cleaned as the
// window cleans names.
std::string DefaultExportName(int number, const std::string& name);
