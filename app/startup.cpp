#include "app/startup.h"

#include "core/context.h"

RegKey openSettingsKey(Registry& registry, const RegistryNames& names, const std::string& title) {
  std::string programPath = names.software + "\\" + names.company + "\\" + title;
  std::string version;
  RegKey program = registry.createKey(kLocalMachine, programPath);
  if (program != kNoKey) {
    // Read only: the installer names the version; we never create it.
    RegKey current = registry.openKey(program, names.currentVersion);
    if (current != kNoKey) {
      if (!registry.readString(current, "", 256, &version))
        version.clear();
      registry.closeKey(current);
    }
    registry.closeKey(program);
  }
  return registry.createKey(kLocalMachine, programPath + "\\" + version);
}

void startupSequence(Context& ctx, const std::vector<DiskOsDriver*>& drivers) {
  LcdDisplay& lcd = ctx.lcd;
  lcd.LcdSelectPage(0);
  lcd.LcdBeginProgress();
  lcd.LcdSelectPage(kLcdProgressPage);
  lcd.LcdClearLine(0, false);
  lcd.LcdClearLine(1, true);
  lcd.LcdSetCursor(0, 0);
  lcd.LcdPrint("Initialising...");
  ctx.host.sleep(150);
  lcd.LcdSetCursor(0, 1);
  lcd.LcdPrint("Disk Operating Systems:");
  lcd.LcdHoldFor(15);
  for (DiskOsDriver* driver : drivers)
    RegisterDiskOs(ctx, *driver);
  ProbeDiskOses(ctx);
  lcd.LcdAdvanceProgress(lcd.LcdProgressEnd() - lcd.LcdProgressPosition());
  ctx.host.sleep(100);
  lcd.LcdSelectPage(0);
  lcd.LcdSetCursor(0, 0);
  ctx.busy = 0;
  int root = ctx.nodes.rootIndex;
  if (ctx.nodes.valid(root))
    ctx.views.treeExpand(ctx.nodes[root].treeItem, false);
  ctx.splash.CloseSplash();
}
