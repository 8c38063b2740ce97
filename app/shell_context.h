#pragma once
// The program's context as the main window's commands see it: the shared
// core plus the window's menus, selection and command state.
#include "app/commands.h"
#include "core/context.h"
#include "sampler/sample_choices.h"

struct ShellContext : Context {
  using Context::Context;
  ShellState shell;
  // The "Transmit sample" dialog's last choices, kept for the run.
  TransmitSettings transmitSettings;
};
