#pragma once
// Everything the program shares between its windows, drivers and workers.
// The program makes one at start-up; each test makes its own.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/lcd.h"
#include "core/scsi_units.h"
#include "core/tree.h"
#include "diskos/driver.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/status_screen.h"
#include "platform/views.h"

class FloppyBios;

struct Ports {
  Files& files;
  Registry& registry;
  Host& host;
  Views& views;
  StatusScreen& screen;
};

struct Context {
  explicit Context(const Ports& ports)
      : files(ports.files),
        registry(ports.registry),
        host(ports.host),
        views(ports.views),
        screen(ports.screen),
        lcd(ports.screen, ports.host),
        splash(ports.screen, ports.host) {}
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  Files& files;
  Registry& registry;
  Host& host;
  Views& views;
  StatusScreen& screen;

  std::string programTitle = "Korrin";
  std::string versionText = "Version 0.10 beta";
  std::string versionNumberText = "0.10";
  RegKey settingsKey = kNoKey;

  // One long operation at a time: set while a listing or operation runs.
  std::atomic<int> busy{0};
  NodeTable nodes;
  DiskOsTable diskOses;
  // Drivers registered at start-up live as long as the program.
  std::vector<std::unique_ptr<DiskOsDriver>> drivers;
  LcdDisplay lcd;
  Splash splash;

  // Shared working storage; the busy flag keeps users to one at a time.
  std::uint8_t sectorBuffer[32768] = {};
  std::uint8_t listBuffer[3200] = {};
  // Every SMDI message is built here and every reply lands here.
  std::uint8_t smdiMessageBuffer[16640] = {};
  // The one Windows file a command opened for the operation it starts; the
  // operation closes it.
  FileHandle openFile = kNoFile;
  // The ASPI manager, its request blocks and the SCSI units found.
  ScsiUnits scsi;
  // The PC's floppy drives; none when null.
  FloppyBios* floppyBios = nullptr;
};
