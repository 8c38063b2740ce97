#include "app/program.h"

#include "app/shell_context.h"
#include "esifs/bank_edit.h"
#include "esifs/bank_transfer.h"
#include "media/cd_image_driver.h"
#include "media/disk_image_driver.h"
#include "media/floppy_driver.h"
#include "media/wav_to_floppy.h"
#include "sampler/sample_receive.h"
#include "sampler/sampler_driver.h"
#include "scsi/scsi_disk_driver.h"

std::vector<DiskOsDriver*> createDrivers(Context& ctx) {
  ctx.drivers.push_back(std::make_unique<ScsiDiskDriver>(ctx));
  ctx.drivers.push_back(std::make_unique<CdImageDriver>(ctx));
  ctx.drivers.push_back(std::make_unique<FloppyDriver>(ctx));
  ctx.drivers.push_back(std::make_unique<SamplersDriver>(ctx));
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
  hooks.wavToFloppy = WriteWavToFloppies;
  hooks.wavToFloppyImages = WriteWavToFloppyImages;
  hooks.receiveSample = ReceiveSample;
  hooks.deleteSamples = [](Context& c) {
    const ShellState& shell = static_cast<ShellContext&>(c).shell;
    DeleteSamplesCommand(c, shell.selection, shell.selectionCount);
  };
}
