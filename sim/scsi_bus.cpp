#include "sim/scsi_bus.h"

#include <algorithm>

namespace {
constexpr int kMaxAdapters = 255;
constexpr int kTargets = 8;
}  // namespace

bool SimScsiBus::addUnit(const SimUnitConfig& config) {
  if (config.kind == SimUnitKind::Sampler)
    return addUnit(std::make_unique<SimSamplerUnit>(config, files_, listFolder));
  return addUnit(std::make_unique<SimDiskUnit>(config, files_));
}

bool SimScsiBus::addUnit(std::unique_ptr<SimScsiUnit> unit) {
  const SimUnitConfig& c = unit->config();
  if (c.adapter < 0 || c.adapter >= kMaxAdapters || c.target < 0 || c.target >= kTargets ||
      this->unit(c.adapter, c.target))
    return false;
  units_.push_back(std::move(unit));
  return true;
}

SimScsiUnit* SimScsiBus::unit(int adapter, int target) {
  for (auto& u : units_) {
    if (u->config().adapter == adapter && u->config().target == target)
      return u.get();
  }
  return nullptr;
}

SimDiskUnit* SimScsiBus::disk(int adapter, int target) {
  return dynamic_cast<SimDiskUnit*>(unit(adapter, target));
}

int SimScsiBus::adapters() const {
  int n = minAdapters_;
  for (const auto& u : units_)
    n = std::max(n, u->config().adapter + 1);
  return n;
}

std::uint32_t SimScsiBus::GetASPI32SupportInfo() {
  if (supportOverride_)
    return support_;
  return static_cast<std::uint32_t>(SS_COMP) << 8 | static_cast<std::uint32_t>(adapters());
}

std::uint32_t SimScsiBus::SendASPI32Command(SrbExecScsiCmd* srb) {
  if (!srb)
    return SS_INVALID_SRB;
  auto finish = [srb](std::uint8_t status) {
    srb->SRB_Status = status;
    return static_cast<std::uint32_t>(status);
  };
  if (srb->SRB_Cmd != SC_EXEC_SCSI_CMD || srb->SRB_CDBLen > sizeof srb->CDBByte)
    return finish(SS_INVALID_SRB);
  if (srb->SRB_HaId >= adapters())
    return finish(SS_INVALID_HA);
  SimScsiUnit* target = unit(srb->SRB_HaId, srb->SRB_Target);
  if (!target || srb->SRB_Lun != 0)
    return finish(SS_NO_DEVICE);
  sent.push_back(*srb);
  srb->SRB_Status = SS_PENDING;
  SimCommand command{srb->CDBByte,
                     srb->SRB_CDBLen,
                     srb->SRB_BufPointer,
                     srb->SRB_BufPointer ? srb->SRB_BufLen : 0,
                     (srb->SRB_Flags & SRB_DIR_IN) != 0,
                     (srb->SRB_Flags & SRB_DIR_OUT) != 0};
  SimOutcome outcome = target->execute(command);
  if (outcome.completes)
    srb->SRB_Status = outcome.status;
  return SS_PENDING;
}
