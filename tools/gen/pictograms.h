#pragma once
// The small pictures of the object tree and the list view: one pictogram per
// kind of node, drawn on a 16x16 grid and made into a 32x17 tree bitmap and a
// 32x32 + 16x16 icon.
#include <string>
#include <vector>

#include "image.h"

// Part of a pictogram: rows of palette letters ('.' is see-through) placed at
// (x, y) of the 16x16 grid; later layers cover earlier ones.
struct PictogramLayer {
  std::vector<const char*> rows;
  int x = 0;
  int y = 0;
};

struct Pictogram {
  std::string name;  // the files are tree_<name>.bmp and <name>.ico
  std::vector<PictogramLayer> layers;
};

const std::vector<Pictogram>& pictograms();

constexpr int kPictogramSize = 16;

// The pictogram at scale 1 or 2; error names a bad letter or a layer that
// leaves the grid.
Image drawPictogram(const Pictogram& pictogram, int scale, std::string* error);
// The tree view's 32x17 picture, without a mask: the pictogram centred on the
// window colour.
Image treeBitmap(const Image& small);
