#pragma once
// The commands of the command-line program, each over an image session that
// has the image open (create: not yet). Each answers the exit status: 0 done,
// 1 failed (after a message on standard error).
#include <string>
#include <vector>

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
// Works on a session without an image: makes the image named by path.
int CreateCommand(ImageSession& s, const std::string& path);

// The file name Export offers for a bank: "NN name.e3x", cleaned as the
// window cleans names.
std::string DefaultExportName(int number, const std::string& name);
