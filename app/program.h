#pragma once
// What the program is made of: its storage drivers in their fixed slot order
// and the operations its commands start.
#include <vector>

struct Context;
struct ShellContext;
class DiskOsDriver;

// Creates the drivers that exist (kept in the context for the whole run), in
// slot order: SCSI disks, CD image files, floppy drives, samplers, then disk
// image files.
std::vector<DiskOsDriver*> createDrivers(Context& ctx);

// Fills the command hooks with the operations that exist.
void installOperations(ShellContext& ctx);
