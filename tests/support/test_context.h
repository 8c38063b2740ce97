#pragma once
// A fresh program context over in-memory ports, for one test. The shell's
// tests make it with the shell's context type.
#include "core/context.h"
#include "platform/fake/memory_files.h"
#include "platform/fake/memory_registry.h"
#include "platform/fake/memory_views.h"
#include "platform/fake/posix_files.h"
#include "platform/fake/recording_screen.h"
#include "platform/fake/test_host.h"

template <class ContextType>
struct BasicTestContext {
  MemoryFiles files;
  MemoryRegistry registry;
  TestHost host;
  MemoryViews views;
  RecordingScreen screen;
  ContextType ctx{Ports{files, registry, host, views, screen}};

  // The root node, as the main window makes it at start-up.
  int addRoot() { return addNode(ctx, 0, Root, ctx.programTitle.c_str()); }
};

// The same context over real files, for tools and benchmarks run on Linux.
using TestContext = BasicTestContext<Context>;

struct PosixContext {
  PosixFiles files;
  MemoryRegistry registry;
  TestHost host;
  MemoryViews views;
  RecordingScreen screen;
  Context ctx{Ports{files, registry, host, views, screen}};
};
