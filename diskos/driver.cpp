#include "diskos/driver.h"

#include <cstdio>
#include <cstring>

#include "core/context.h"

std::uint32_t DiskOsDriver::handle(DiskOsRequest& request) {
  if (ownIndex_ < 0)
    ownIndex_ = static_cast<int>(request.diskOs);
  std::uint32_t cg1 = static_cast<std::uint32_t>(request.cg1);
  bool singleCode = cg1 != 0 && (cg1 & (cg1 - 1)) == 0;
  if (singleCode && (cg1 & servedCodes_))
    return serve(request);
  std::uint32_t cg2 = static_cast<std::uint32_t>(request.cg2);
  bool singleSub = cg2 != 0 && (cg2 & (cg2 - 1)) == 0;
  if (singleSub && (cg2 & servedSubCodes_)) {
    if (cg2 == GetCodeMask)
      return servedCodes_;
    if (cg2 == GetSubCodeMask)
      return servedSubCodes_;
    return serveSub(request);
  }
  ReportDiskOsError(ctx, request);
  return DiskOsNotServed;
}

bool RegisterDiskOs(Context& ctx, DiskOsDriver& driver) {
  DiskOsTable& table = ctx.diskOses;
  if (table.count >= kMaxDiskOses)
    return false;
  DiskOsRequest request = makeRequest(Register);
  request.diskOs = static_cast<DiskOsWord>(table.count);
  if (driver.handle(request) != 0)
    return false;
  table.entries[table.count].handler = &driver;
  ++table.count;
  ctx.views.treeRepaint();
  return true;
}

std::uint32_t SendDiskOs(Context& ctx, DiskOsRequest& request) {
  if (request.diskOs >= static_cast<DiskOsWord>(ctx.diskOses.count))
    return DiskOsNotServed;
  DiskOsDriver* driver = ctx.diskOses.entries[request.diskOs].handler;
  return driver ? driver->handle(request) : static_cast<std::uint32_t>(DiskOsNotServed);
}

void SetDiskOsName(Context& ctx, int slot, const char* name) {
  if (slot < 0 || slot >= kMaxDiskOses)
    return;
  char* out = ctx.diskOses.entries[slot].name;
  std::snprintf(out, kDiskOsNameSize, "%s", name);
}

int RegisterDriverNode(Context& ctx, int slot, const char* versionText, NodeType type,
                       const char* nodeText, bool canAddDevices) {
  LcdDisplay& lcd = ctx.lcd;
  lcd.LcdSetCursor(0, 3);
  lcd.LcdPrint(versionText);
  SetDiskOsName(ctx, slot, versionText);
  ctx.host.sleep(100);
  lcd.LcdClearLine(3, false);
  int node = addNode(ctx, ctx.nodes.rootIndex, type, nodeText);
  if (node != 0) {
    ctx.nodes[node].diskOs = slot;
    ctx.nodes[node].canAddDevices = canAddDevices ? 1 : 0;
  }
  return node;
}

std::uint32_t RunScanStep(Context& ctx, const char* text, const std::function<void()>& scan) {
  LcdDisplay& lcd = ctx.lcd;
  lcd.LcdSetCursor(0, 2);
  lcd.LcdPrint(text);
  ctx.host.sleep(100);
  scan();
  lcd.LcdClearLine(2, true);
  return 0;
}

void ProbeDiskOses(Context& ctx) {
  LcdDisplay& lcd = ctx.lcd;
  DiskOsTable& table = ctx.diskOses;
  lcd.LcdSetProgressRange(0, table.count * 100);
  for (int i = 0; i < table.count; ++i) {
    DiskOsRequest scan = makeRequest(Scan);
    scan.diskOs = static_cast<DiskOsWord>(i);
    if (SendDiskOs(ctx, scan) == 0) {
      DiskOsRequest mask = makeSubRequest(GetCodeMask);
      mask.diskOs = static_cast<DiskOsWord>(i);
      table.entries[i].codeMask = SendDiskOs(ctx, mask);
      DiskOsRequest subMask = makeSubRequest(GetSubCodeMask);
      subMask.diskOs = static_cast<DiskOsWord>(i);
      table.entries[i].subCodeMask = SendDiskOs(ctx, subMask);
    }
    lcd.LcdAdvanceProgress(100 - lcd.LcdProgressPosition() % 100);
  }
}

void ReportDiskOsError(Context& ctx, const DiskOsRequest& r) {
  LcdDisplay& lcd = ctx.lcd;
  ctx.host.message("Disk OS error");
  lcd.LcdSelectPage(9);
  lcd.LcdClearPage();
  // The packet is shown as 32-bit words, as the samplers' engineers know it.
  auto word = [](DiskOsWord w) { return static_cast<unsigned>(w & 0xFFFFFFFFu); };
  char line[64];
  std::snprintf(line, sizeof line, "cg1:%.8X cg2:%.8X", word(r.cg1), word(r.cg2));
  lcd.LcdSetCursor(0, 0);
  lcd.LcdPrint(line);
  std::snprintf(line, sizeof line, "drv:%.8X state:%.1X", word(r.drv), word(r.state));
  lcd.LcdSetCursor(0, 1);
  lcd.LcdPrint(line);
  std::snprintf(line, sizeof line, "bufI:%.8X bufO:%.8X", word(r.bufI), word(r.bufO));
  lcd.LcdSetCursor(0, 2);
  lcd.LcdPrint(line);
  std::snprintf(line, sizeof line, "bIsz:%.8X bOsz:%.8X", word(r.bIsz), word(r.bOsz));
  lcd.LcdSetCursor(0, 3);
  lcd.LcdPrint(line);
  ctx.host.sleep(5000);
  lcd.LcdSetCursor(0, 0);
  lcd.LcdClearPage();
  const DiskOsWord pars[10] = {r.par0, r.par1, r.par2, r.par3, r.par4,
                               r.par5, r.par6, r.par7, r.par8, r.par9};
  for (int i = 0; i < 10; i += 2) {
    std::snprintf(line, sizeof line, "par%d:%.8X par%d:%.8X", i, word(pars[i]), i + 1,
                  word(pars[i + 1]));
    lcd.LcdPrint(line);
    lcd.LcdNewLine();
  }
  ctx.host.sleep(5000);
  lcd.LcdSelectPage(0);
}
