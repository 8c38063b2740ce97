#pragma once
// A fresh program context over in-memory ports, for one test.
#include "app/context.h"
#include "platform/fake/memory_files.h"
#include "platform/fake/memory_registry.h"
#include "platform/fake/memory_views.h"
#include "platform/fake/posix_files.h"
#include "platform/fake/recording_screen.h"
#include "platform/fake/test_host.h"

struct TestContext {
  MemoryFiles files;
  MemoryRegistry registry;
  TestHost host;
  MemoryViews views;
  RecordingScreen screen;
  Context ctx{Ports{files, registry, host, views, screen}};

  // The root node, as the main window makes it at start-up.
  int addRoot() { return addNode(ctx, 0, Root, ctx.programTitle.c_str()); }
};

// The same context over real files, for tools and benchmarks run on Linux.
struct PosixContext {
  PosixFiles files;
  MemoryRegistry registry;
  TestHost host;
  MemoryViews views;
  RecordingScreen screen;
  Context ctx{Ports{files, registry, host, views, screen}};
};
