#pragma once
// A simulated SCSI bus behind the ASPI interface: host adapters with units on
// targets 0-7. Commands complete before SendASPI32Command returns, unless the
// unit hangs, when the block stays pending for good.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/aspi.h"
#include "platform/files.h"
#include "sim/sampler_unit.h"
#include "sim/scsi_unit.h"

class SimScsiBus : public Aspi {
 public:
  // Units open their image files through files for as long as the bus lives.
  explicit SimScsiBus(Files& files) : files_(files) {}

  // Adds a disk or sampler unit; false when the place is taken or out of
  // range. A sampler's seed folder is read with listFolder.
  bool addUnit(const SimUnitConfig& config);
  bool addUnit(std::unique_ptr<SimScsiUnit> unit);
  SimScsiUnit* unit(int adapter, int target);
  SimDiskUnit* disk(int adapter, int target);
  // The bus reports at least this many host adapters.
  void setAdapters(int count) { minAdapters_ = count; }
  // GetASPI32SupportInfo's answer from now on, to play a broken manager.
  void setSupportInfo(std::uint32_t value) {
    supportOverride_ = true;
    support_ = value;
  }

  std::uint32_t GetASPI32SupportInfo() override;
  std::uint32_t SendASPI32Command(SrbExecScsiCmd* srb) override;

  FolderLister listFolder = ListFolderFiles;
  // Every accepted block as it was sent, for tests that check what Korrin asked.
  std::vector<SrbExecScsiCmd> sent;

 private:
  int adapters() const;

  Files& files_;
  std::vector<std::unique_ptr<SimScsiUnit>> units_;
  int minAdapters_ = 1;
  bool supportOverride_ = false;
  std::uint32_t support_ = 0;
};
