#pragma once
// A fresh program context over in-memory ports, for one test. The shell's
// tests make it with the shell's context type.
#include <cstring>

#include "core/context.h"
#include "platform/fake/memory_files.h"
#include "platform/fake/memory_registry.h"
#include "platform/fake/memory_views.h"
#include "platform/fake/posix_files.h"
#include "platform/fake/recording_screen.h"
#include "platform/fake/test_host.h"

template <class ContextType, class Files = MemoryFiles>
struct BasicTestContext {
  Files files;
  MemoryRegistry registry;
  TestHost host;
  MemoryViews views;
  RecordingScreen screen;
  ContextType ctx{Ports{files, registry, host, views, screen}};

  // The root node, as the main window makes it at start-up.
  int addRoot() { return addNode(ctx, 0, Root, ctx.programTitle.c_str()); }

  // Empties the context as a fresh one would be, for the next fuzz input.
  // Only the nodes in use are cleared: a fresh context clears its whole table.
  void reset() {
    std::memset(&ctx.nodes[0], 0, ctx.nodes.count * sizeof(TreeNode));
    ctx.nodes.count = 1;
    ctx.nodes.selectedNode = ctx.nodes.rootIndex = 0;
    ctx.nodes.shownNode = -1;
    ctx.diskOses = DiskOsTable{};
    ctx.busy = 0;
    ctx.scsi = ScsiUnits();
    files = MemoryFiles();
    registry = MemoryRegistry();
    views = MemoryViews();
    host = TestHost();
    ctx.lcd.LcdInit();
  }
};

using TestContext = BasicTestContext<Context>;
// The same context over real files, for tools and benchmarks run on Linux.
using PosixContext = BasicTestContext<Context, PosixFiles>;
