#pragma once
// "Import WAV to ESi floppy...": one WAV file, the one the command opened in
// ctx.openFile, written as an ESi floppy set. Both are worker entries: they
// close the file and clear the busy flag on every path.
#include <string>

struct Context;

// Writes the set onto disks in the drive of the FloppyDrive node, asking for
// each disk in turn.
void WriteWavToFloppies(Context& ctx, int node);
// Writes the set as 1.44 MB image files for floppy emulators: imagePath for
// a set of one disk, else the same name with "-1", "-2", ... before ".img".
// A failure removes the files of the set already written.
void WriteWavToFloppyImages(Context& ctx, int node, const std::string& imagePath);

// The file name of disk (from 1) of a set of disks.
std::string FloppyImageName(const std::string& imagePath, int disk, int disks);
