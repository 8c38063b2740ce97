#include "app/program.h"

#include "app/shell_context.h"
#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "media/cd_image_driver.h"
#include "media/disk_image_driver.h"
#include "scsi/scsi_disk_driver.h"

std::vector<DiskOsDriver*> createDrivers(Context& ctx) {
  ctx.drivers.push_back(std::make_unique<ScsiDiskDriver>(ctx));
  ctx.drivers.push_back(std::make_unique<CdImageDriver>(ctx));
  // Not one of the four drivers with fixed slots: it stays last, after the
  // floppy drives and the samplers once they exist.
  ctx.drivers.push_back(std::make_unique<DiskImageDriver>(ctx));
  std::vector<DiskOsDriver*> order;
  for (auto& driver : ctx.drivers)
    order.push_back(driver.get());
  return order;
}

void installOperations(ShellContext& ctx) {
  CommandHooks& hooks = ctx.shell.hooks;
  hooks.importBank = ImportBank;
  hooks.exportBank = ExportBank;
  hooks.deleteBank = DeleteBank;
  hooks.importEmptyBank = ImportEmptyBank;
  // Sample reception and deletion and WAV to floppy arrive with their subsystems.
}
