#include "core/tree.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/context.h"
#include "esifs/disk_info.h"

NodeTable::NodeTable() {
  // calloc: 65 536 records are mostly never touched, so let the OS zero them lazily.
  nodes_ = static_cast<TreeNode*>(std::calloc(kMaxNodes, sizeof(TreeNode)));
  if (!nodes_)
    throw std::bad_alloc();
}

NodeTable::~NodeTable() {
  std::free(nodes_);
}

const ListColumn kListColumns[3] = {{"Name", 226}, {"ID", 46}, {"Size", 76}};
const ListColumn kBankListColumns[7] = {{"Name", 112},    {"ID", 40},   {"Size", 70},
                                        {"Channels", 62}, {"Rate", 46}, {"Length", 46},
                                        {"Loop", 36}};

// Banks and samples are list rows only; so are the rows of an opened bank.
static bool hasTreeItem(int type) {
  return type != Bank && type != Sample && type != Preset && type != SampleInBank;
}

// An opened bank is a tree item only: its device's list shows the banks.
static bool hasParentRow(int type) {
  return type != OpenedBank;
}

bool isDeviceType(int type) {
  return type == Sampler || type == FixedDisk || type == RemovableDisk || type == CdRomDrive ||
         type == ImageFile;
}

void setNodeName(TreeNode& node, const char* name) {
  std::snprintf(node.name, sizeof node.name, "%s", name ? name : "");
}

void TrimTrailingBlanks(char* text) {
  std::size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == ' ')
    text[--n] = '\0';
}

int addNode(Context& ctx, int parent, int type, const char* name) {
  NodeTable& t = ctx.nodes;
  if (t.count >= kMaxNodes)
    return 0;  // never reached: no device holds that many items
  int v = t.count;
  // Records past the end are kept zeroed, except for a bank's number, which
  // its creator sets first so the row lands in number order.
  TreeNode& n = t[v];
  n.type = type;
  n.parent = parent;
  n.ready = isDeviceType(type) ? 0 : 1;
  setNodeName(n, name);
  n.listItem = -1;
  if (hasTreeItem(type)) {
    TreeItem parentItem = parent > 0 ? t[parent].treeItem : kNoItem;
    n.treeItem = ctx.views.treeInsert(parentItem, n.name, type, v);
  }
  t.count = v + 1;
  if (parent != 0 && parent == t.selectedNode && hasParentRow(type)) {
    insertListRow(ctx, v);
    setListRow(ctx, v);
  }
  if (type == Root)
    t.rootIndex = v;
  return v;
}

int addBankNode(Context& ctx, int device, const char* name, int number) {
  if (ctx.nodes.count >= kMaxNodes)
    return 0;
  ctx.nodes[ctx.nodes.count].number = number;
  return addNode(ctx, device, Bank, name);
}

int addPlaceholder(Context& ctx, int node) {
  NodeTable& t = ctx.nodes;
  if (t.count >= kMaxNodes || !t.valid(node))
    return 0;
  int v = t.count;
  TreeNode& n = t[v];
  std::memset(&n, 0, sizeof n);
  n.type = Placeholder;
  n.parent = node;
  n.ready = 1;
  setNodeName(n, "Please wait...");
  n.listItem = -1;
  n.treeItem = ctx.views.treeInsert(t[node].treeItem, n.name, Placeholder, v);
  t.count = v + 1;
  return v;
}

// Drops record i, moving the later ones down and renumbering their parents.
static void dropRecord(NodeTable& t, int i) {
  std::memmove(&t[i], &t[i + 1], sizeof(TreeNode) * static_cast<std::size_t>(t.count - i - 1));
  --t.count;
  std::memset(&t[t.count], 0, sizeof(TreeNode));
  for (int k = i; k < t.count; ++k) {
    if (t[k].parent > i)
      --t[k].parent;
  }
  // The view state names nodes by index too.
  if (t.selectedNode > i)
    --t.selectedNode;
  if (t.shownNode > i)
    --t.shownNode;
}

void removeChildren(Context& ctx, int node, bool refreshList) {
  NodeTable& t = ctx.nodes;
  for (int i = t.count - 1; i >= 1; --i) {
    if (t[i].parent != node)
      continue;
    // An opened bank's rows go with it. They come after it, so i stays.
    removeChildren(ctx, i, false);
    if (t[i].treeItem != kNoItem)
      ctx.views.treeDelete(t[i].treeItem);
    if (t.selectedNode == i)
      t.selectedNode = node;
    if (t.shownNode == i)
      t.shownNode = 0;
    dropRecord(t, i);
  }
  if (refreshList && node != 0 && (t.shownNode == node || t.shownNode == t[node].parent)) {
    t.shownNode = 0;
    showNodeInList(ctx, t.selectedNode);
  }
}

void removeNode(Context& ctx, int node, bool refreshList) {
  NodeTable& t = ctx.nodes;
  if (!t.valid(node))
    return;
  removeChildren(ctx, node, false);
  int p = t[node].parent;
  int d = t[node].device;
  // An opened bank is no device: its going moves no device numbers.
  bool device = t[node].type != OpenedBank;
  if (t[node].treeItem != kNoItem)
    ctx.views.treeDelete(t[node].treeItem);
  if (t.selectedNode == node)
    t.selectedNode = p;
  if (t.shownNode == node)
    t.shownNode = 0;
  dropRecord(t, node);
  if (p > node)
    --p;  // never: parents come first
  for (int k = node; k < t.count; ++k) {
    if (device && t[k].parent == p && t[k].device > d)
      --t[k].device;
  }
  if (refreshList) {
    t.shownNode = 0;
    showNodeInList(ctx, t.selectedNode);
  }
}

int firstChild(const Context& ctx, int node) {
  const NodeTable& t = ctx.nodes;
  for (int i = 1; i < t.count; ++i) {
    if (t[i].parent == node)
      return i;
  }
  return 0;
}

int nodeByTreeItem(const Context& ctx, TreeItem item) {
  const NodeTable& t = ctx.nodes;
  if (item == kNoItem)
    return 0;
  for (int i = 1; i < t.count; ++i) {
    if (t[i].treeItem == item)
      return i;
  }
  return 0;
}

int findDeviceNode(const Context& ctx, int node) {
  const NodeTable& t = ctx.nodes;
  // Parents always have lower indexes, so the climb ends.
  while (t.valid(node)) {
    if (isDeviceType(t[node].type))
      return node;
    if (t[node].parent >= node)
      return 0;
    node = t[node].parent;
  }
  return 0;
}

int findDiskOsNode(const Context& ctx, int node) {
  const NodeTable& t = ctx.nodes;
  while (t.valid(node)) {
    if (t[node].type == DiskOsNode || t[node].type == SamplerDiskOsNode)
      return node;
    if (t[node].parent >= node)
      return 0;
    node = t[node].parent;
  }
  return 0;
}

void insertListRow(Context& ctx, int node) {
  NodeTable& t = ctx.nodes;
  Views& v = ctx.views;
  int rows = v.listCount();
  int position = rows;
  if (t[node].type == Bank) {
    bool found = false;
    for (int row = 0; row < rows; ++row) {
      int other = v.listNode(row);
      if (!t.valid(other) || t[other].number <= t[node].number)
        continue;
      if (!found) {
        position = row;
        found = true;
      }
      ++t[other].listItem;
    }
  }
  t[node].listItem = v.listInsert(position, t[node].name, t[node].type, node);
}

void setListRow(Context& ctx, int node) {
  NodeTable& t = ctx.nodes;
  const TreeNode& n = t[node];
  if (n.listItem < 0)
    return;
  char id[16];
  switch (n.type) {
    case Bank:
      std::snprintf(id, sizeof id, "B%.2d", n.number);
      break;
    case Sample:
    case SampleInBank:
      std::snprintf(id, sizeof id, "S%.3d", n.sampleNumber);
      break;
    case Preset:
      std::snprintf(id, sizeof id, "P%.3d", n.number);
      break;
    default:
      return;
  }
  Views& v = ctx.views;
  v.listSetText(n.listItem, 0, n.name);
  v.listSetText(n.listItem, 1, id);
  if (n.type == Preset)
    return;
  v.listSetText(n.listItem, 2, FormatSize(n.size));
  if (n.type != SampleInBank)
    return;
  char length[24];
  std::snprintf(length, sizeof length, "%.2f", n.rate != 0 ? double(n.frames) / n.rate : 0.0);
  v.listSetText(n.listItem, 3, std::to_string(n.channels));
  v.listSetText(n.listItem, 4, std::to_string(n.rate));
  v.listSetText(n.listItem, 5, length);
  v.listSetText(n.listItem, 6, n.loops ? "Yes" : "No");
}

void updateNodeRow(Context& ctx, int node) {
  NodeTable& t = ctx.nodes;
  Views& v = ctx.views;
  for (int row = 0, rows = v.listCount(); row < rows; ++row) {
    if (v.listNode(row) == node) {
      t.shownNode = 0;
      setListRow(ctx, node);
    }
  }
  if (t[node].treeItem != kNoItem)
    v.treeSetText(t[node].treeItem, t[node].name);
}

std::string BankNumberText(int number) {
  char text[16];
  std::snprintf(text, sizeof text, "B%.2d", number);
  return text;
}

std::string FormatSize(std::uint32_t bytes) {
  double x = bytes;
  const char* unit = "bytes";
  if (x > 1024) {
    x /= 1024;
    unit = "K";
    if (x > 1024) {
      x /= 1024;
      unit = "Mb";
    }
  }
  long whole = static_cast<long>(x);
  long hundredths = static_cast<long>(x * 100) % 100;
  char text[48];
  if (hundredths != 0) {
    std::snprintf(text, sizeof text, "%ld.%.2ld %s", whole, hundredths, unit);
  } else {
    std::snprintf(text, sizeof text, "%ld %s", whole, unit);
  }
  return text;
}

void showNodeInList(Context& ctx, int node) {
  NodeTable& t = ctx.nodes;
  if (t.valid(node) && !hasTreeItem(t[node].type))
    node = t[node].parent;
  if (node == t.shownNode)
    return;
  ctx.views.listDeleteAll();
  bool bank = t.valid(node) && t[node].type == OpenedBank;
  if (bank)
    ctx.views.listSetColumns(kBankListColumns, 7);
  else
    ctx.views.listSetColumns(kListColumns, 3);
  if (t.valid(node)) {
    bool listed = false;
    int first = firstChild(ctx, node);
    if (first != 0 && t[first].type == Placeholder) {
      listDevice(ctx, node, false);
      listed = true;
    }
    if (!listed) {
      for (int i = 0; i < t.count; ++i)
        t[i].listItem = -1;
    }
    for (int i = 1; i < t.count; ++i) {
      if (t[i].parent != node || !hasParentRow(t[i].type))
        continue;
      if (!listed)
        insertListRow(ctx, i);
      setListRow(ctx, i);
    }
  }
  t.shownNode = node;
}

void listDevice(Context& ctx, int node, bool expand) {
  NodeTable& t = ctx.nodes;
  ctx.busy = 1;
  bool valid = true;
  if (t.valid(node) && isDeviceType(t[node].type)) {
    LcdDisplay& lcd = ctx.lcd;
    int page = lcd.LcdCurrentPage();
    lcd.LcdSelectPage(1);
    lcd.LcdClearPage();
    lcd.LcdSetCursor(0, 0);
    lcd.LcdPrint("Listing contents");
    lcd.LcdNewLine();
    lcd.LcdPrint(t[node].name);
    lcd.LcdBeginProgress();
    int type = t[node].type;
    if (type == RemovableDisk || type == CdRomDrive) {
      DiskOsRequest read = makeRequest(ReadSectors, static_cast<DiskOsWord>(t[node].device));
      read.par0 = 0;
      read.par1 = 1;
      read.bufI = reinterpret_cast<DiskOsWord>(ctx.sectorBuffer);
      read.bIsz = sizeof ctx.sectorBuffer;
      read.diskOs = static_cast<DiskOsWord>(t[node].diskOs);
      valid = SendDiskOs(ctx, read) == 0 && IsEsiDiskInfo(ctx.sectorBuffer);
    }
    DiskOsRequest list = makeRequest(ListBanks, static_cast<DiskOsWord>(t[node].device));
    list.par0 = 0;
    list.par1 = 99;
    list.par3 = static_cast<DiskOsWord>(node);
    list.bufI = reinterpret_cast<DiskOsWord>(ctx.listBuffer);
    list.bIsz = sizeof ctx.listBuffer;
    list.diskOs = static_cast<DiskOsWord>(t[node].diskOs);
    if (SendDiskOs(ctx, list) == DiskOsListIncomplete)
      valid = false;
    lcd.LcdSelectPage(page);
  }
  if (t.valid(node)) {
    if (expand)
      ctx.views.treeExpand(t[node].treeItem, true);
    t[node].ready = valid ? 1 : 0;
  }
  ctx.busy = 0;
  ctx.views.treeRepaint();
}

void refreshDevice(Context& ctx, int node, bool keepExpanded) {
  NodeTable& t = ctx.nodes;
  Views& v = ctx.views;
  if (!t.valid(node)) {
    ctx.busy = 0;
    return;
  }
  if (t.valid(t.selectedNode) && t[t.selectedNode].parent == node) {
    v.treeSelect(t[node].treeItem);
    t.selectedNode = node;
  }
  v.treeCollapse(t[node].treeItem);
  bool wasExpanded = v.treeIsExpanded(t[node].treeItem);
  removeChildren(ctx, node, node == t.selectedNode);
  v.treeSelect(t[node].treeItem);
  if (keepExpanded) {
    if (wasExpanded) {
      v.treeExpand(t[node].treeItem, false);
    } else {
      v.treeCollapse(t[node].treeItem);
    }
  }
  showNodeInList(ctx, t.selectedNode);
  // The listing clears the busy flag when it has filled the tree: cleared
  // here, a command could start and change the node table while the listing
  // still ran. So the listing starts last, and nothing here follows it.
  ctx.busy = 1;
  ctx.host.startWorker([&ctx, node] { listDevice(ctx, node, false); });
}
