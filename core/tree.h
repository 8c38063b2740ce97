#pragma once
// The object tree: one dense table of nodes behind both views. A node's index
// is its identity; removing a node moves every later one down.
#include <cstdint>
#include <string>

#include "platform/views.h"

struct Context;

enum NodeType : int {
  Root = 0,
  DiskOsNode = 1,
  Bank = 2,
  Preset = 4,  // a row of an opened bank
  Sample = 6,
  Sampler = 7,
  FloppyDrive = 8,
  FixedDisk = 9,
  RemovableDisk = 10,
  CdRomDrive = 11,
  ImageFile = 12,
  Placeholder = 13,
  SamplerDiskOsNode = 14,
  FloppyDiskOsNode = 15,
  // A bank opened to show its presets and samples, under its device (a bank
  // file's under the root), and a sample row of it.
  OpenedBank = 18,
  SampleInBank = 19,
};

constexpr int kNodeTypeImages = 20;  // image list entries, in type order
constexpr int kMaxNodes = 65536;
constexpr int kNodeNameSize = 260;

struct TreeNode {
  int type;
  int diskOs;
  std::uint16_t bankWord;
  std::uint32_t size;
  int device;
  int number;
  int sampleNumber;
  int channels;
  int parent;
  char name[kNodeNameSize];
  TreeItem treeItem;
  int listItem;
  int ready;
  std::uint8_t diskInfo[512];
  int scsiSlot;
  int blockFactor;
  int canAddDevices;
  // A sample in an opened bank: what its row shows beyond the size.
  std::uint32_t rate;
  std::uint32_t frames;
  int loops;
};

// Fixed storage for the nodes. Record 0 is never a node.
class NodeTable {
 public:
  NodeTable();
  ~NodeTable();
  NodeTable(const NodeTable&) = delete;
  NodeTable& operator=(const NodeTable&) = delete;

  TreeNode& operator[](int index) { return nodes_[index]; }
  const TreeNode& operator[](int index) const { return nodes_[index]; }
  // True for an index that names a node in use.
  bool valid(int index) const { return index > 0 && index < count; }

  int count = 1;
  int selectedNode = 0;
  int shownNode = -1;
  int rootIndex = 0;

 private:
  TreeNode* nodes_;
};

bool isDeviceType(int type);

int addNode(Context& ctx, int parent, int type, const char* name);
// A bank node whose row is inserted in number order.
int addBankNode(Context& ctx, int device, const char* name, int number);
int addPlaceholder(Context& ctx, int node);
void removeChildren(Context& ctx, int node, bool refreshList);
void removeNode(Context& ctx, int node, bool refreshList);
int firstChild(const Context& ctx, int node);
int nodeByTreeItem(const Context& ctx, TreeItem item);
int findDeviceNode(const Context& ctx, int node);
int findDiskOsNode(const Context& ctx, int node);
void listDevice(Context& ctx, int node, bool expand);
void refreshDevice(Context& ctx, int node, bool keepExpanded);
void showNodeInList(Context& ctx, int node);
void insertListRow(Context& ctx, int node);
void setListRow(Context& ctx, int node);
void updateNodeRow(Context& ctx, int node);
std::string FormatSize(std::uint32_t bytes);
// A bank's number as the list shows it: "B03".
std::string BankNumberText(int number);
// Removes trailing blanks in place.
void TrimTrailingBlanks(char* text);
void setNodeName(TreeNode& node, const char* name);

// The list's columns, and those of an opened bank's presets and samples:
// more of them, narrower, so that all fit the list.
extern const ListColumn kListColumns[3];
extern const ListColumn kBankListColumns[7];
