#pragma once
// The command-line program: reads the command line, runs the command over
// the given file system and answers the exit status (0 done, 1 failed or
// damage found, 2 bad usage).
#include <string>
#include <vector>

#include "cli/image_session.h"

// args: the words after the program's name.
int RunKorrin(const std::vector<std::string>& args, Files& files, const CliStreams& io);
