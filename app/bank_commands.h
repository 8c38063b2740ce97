#pragma once
// The commands on what a bank holds: opening a bank on a disk or in a bank
// file to list its presets and samples, extracting its samples as WAV files,
// and building a new bank from WAV files onto a disk or into a bank file.
#include <string>
#include <vector>

struct ShellContext;

// Shows the bank node's presets and samples under its device and selects them.
void OpenBankCommand(ShellContext& ctx, int bankNode);
// The same for a bank file chosen in a dialog, shown under the root.
void OpenBankFileCommand(ShellContext& ctx);
// The samples selected in the opened bank's list (all of them with all) into
// a folder chosen in a dialog, on a worker.
void ExtractSamplesCommand(ShellContext& ctx, int target, bool all);
// WAV files and a name chosen in dialogs, then the bank onto the device
// through Import Bank on a worker, or (device 0) into a bank file.
void NewBankFromWavCommand(ShellContext& ctx, int deviceNode);
// The same with the WAV files already chosen (dropped on the device).
void NewBankFromWavFiles(ShellContext& ctx, int deviceNode, const std::vector<std::string>& paths);
