// The pictograms of the tree and list views, as pixel art in palette letters.
#include "pictograms.h"

#include <cstring>

namespace {

// Palette letters of the pictograms.
bool paletteColour(char letter, Rgb* colour) {
  struct Entry {
    char letter;
    Rgb colour;
  };
  static const Entry kPalette[] = {
      {'k', {0, 0, 0}},       {'d', {72, 72, 80}},    {'g', {128, 128, 136}},
      {'l', {192, 192, 200}}, {'s', {226, 226, 234}}, {'w', {255, 255, 255}},
      {'b', {48, 96, 208}},   {'B', {24, 48, 128}},   {'c', {150, 200, 245}},
      {'y', {250, 214, 80}},  {'Y', {200, 150, 40}},  {'o', {240, 150, 60}},
      {'r', {220, 40, 40}},   {'G', {40, 210, 60}},   {'e', {140, 165, 132}},
      {'E', {40, 64, 40}},    {'p', {112, 64, 176}},  {'P', {72, 40, 120}},
  };
  for (const Entry& e : kPalette) {
    if (e.letter == letter) {
      *colour = e.colour;
      return true;
    }
  }
  return false;
}

// clang-format off
const std::vector<const char*> kProgramDisc = {
    ".....kkkkkk.....",
    "...kkppppppkk...",
    "..kppppppppppk..",
    ".kppppppppppppk.",
    ".kppppppppppppk.",
    "kppppppppppppppk",
    "kppppppppppppppk",
    "kppppppppppppppk",
    "kppppppppppppppk",
    "kppppppppppppppk",
    "kppppppppppppppk",
    ".kppppppppppppk.",
    ".kppppppppppppk.",
    "..kppppppppppk..",
    "...kkppppppkk...",
    ".....kkkkkk.....",
};

const std::vector<const char*> kLetterK = {
    "ww...ww",
    "ww..ww.",
    "ww.ww..",
    "wwww...",
    "wwww...",
    "ww.ww..",
    "ww..ww.",
    "ww...ww",
};

// A driver: a cabinet with two drive bays.
const std::vector<const char*> kCabinet = {
    "................",
    "..kkkkkkkkkkkk..",
    "..kllllllllllkd.",
    "..klkkkkkkkklkd.",
    "..klkggggGgklkd.",
    "..klkkkkkkkklkd.",
    "..kllllllllllkd.",
    "..klkkkkkkkklkd.",
    "..klkggggGgklkd.",
    "..klkkkkkkkklkd.",
    "..kllllllllllkd.",
    "..kllllllllllkd.",
    "..kllllllllGlkd.",
    "..kllllllllllkd.",
    "..kkkkkkkkkkkkd.",
    "...dddddddddddd.",
};

const std::vector<const char*> kYellowCard = {
    "kkkkkkkkkk",
    "kyyyyyyyyk",
    "kyyyyyyyyk",
    "kyyyyyyyyk",
    "kyyyyyyyyk",
    "kyyyyyyyyk",
    "kyyyyyyyyk",
    "kyyyyyyyyk",
    "kyyyyyyyyk",
    "kkkkkkkkkk",
};

const std::vector<const char*> kOrangeCard = {
    "kkkkkkkkkk",
    "kooooooook",
    "kooooooook",
    "kooooooook",
    "kooooooook",
    "kooooooook",
    "kooooooook",
    "kooooooook",
    "kooooooook",
    "kkkkkkkkkk",
};

const std::vector<const char*> kNoteCard = {
    "kkkkkkkkkk",
    "kwwwwwwwwk",
    "kwwwwkkwwk",
    "kwwwwkwkwk",
    "kwwwwkwwwk",
    "kwwwwkwwwk",
    "kwwkkkwwwk",
    "kwwkkwwwwk",
    "kwwwwwwwwk",
    "kkkkkkkkkk",
};

// A sampler: a keyboard instrument with a display and buttons.
const std::vector<const char*> kKeyboard = {
    "................",
    "................",
    "kkkkkkkkkkkkkkkk",
    "kddddddddddddddk",
    "kdkkkkkkdddddddk",
    "kdkeeeekdGdrdwdk",
    "kdkkkkkkdddddddk",
    "kddddddddddddddk",
    "kkkkkkkkkkkkkkkk",
    "kwkkwkkwwgwkkwwk",
    "kwkkwkkwwgwkkwwk",
    "kwkkwkkwwgwkkwwk",
    "kwwgwwgwwgwwgwwk",
    "kwwgwwgwwgwwgwwk",
    "kkkkkkkkkkkkkkkk",
    "................",
};

// A preset: a panel of three faders.
const std::vector<const char*> kFaders = {
    "................",
    "..kkkkkkkkkkkk..",
    "..kllllllllllk..",
    "..klldlldlldlk..",
    "..klldlbbbldlk..",
    "..klldlbbbldlk..",
    "..klldlldlldlk..",
    "..klldlldlbbbk..",
    "..klldlldlbbbk..",
    "..klbbbldlldlk..",
    "..klbbbldlldlk..",
    "..klldlldlldlk..",
    "..klldlldlldlk..",
    "..kllllllllllk..",
    "..kkkkkkkkkkkk..",
    "................",
};

// A zone: a stretch of keys under a bracket.
const std::vector<const char*> kKeyRange = {
    "................",
    "................",
    "................",
    "..bbbbbbbbbbbb..",
    "..b..........b..",
    "..b..........b..",
    "................",
    "kkkkkkkkkkkkkkkk",
    "kwkkckkccgckkcwk",
    "kwkkckkccgckkcwk",
    "kwkkckkccgckkcwk",
    "kwcgccgccgccgcwk",
    "kwcgccgccgccgcwk",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
};

// A sample: a waveform on a card.
const std::vector<const char*> kWaveform = {
    "................",
    "................",
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwwwwk",
    "kwwbwwwwwwwwwwwk",
    "kwbwbwwwwbwwwwwk",
    "kwbwbwwwbwbwwwwk",
    "kbwwwbwwbwbwwwbk",
    "kbwwwbwwbwwbwbwk",
    "kwwwwbwbwwwwbwwk",
    "kwwwwwbwwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
    "................",
};

const std::vector<const char*> kFloppy = {
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kbbsssssdssbbk.",
    ".kbbsssssdssbbk.",
    ".kbbsssssdssbbk.",
    ".kbbssssssssbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbwwwwwwwwwwbk.",
    ".kbwwwwwwwwwwbk.",
    ".kbwggggggggwbk.",
    ".kbwwwwwwwwwwbk.",
    ".kbwggggggggwbk.",
    ".kbwwwwwwwwwwbk.",
    ".kBbbbbbbbbbbbk.",
    ".kkkkkkkkkkkkkk.",
    "................",
};

const std::vector<const char*> kSmallFloppy = {
    "kkkkkkkkkk",
    "kbsssdsbbk",
    "kbsssdsbbk",
    "kbsssssbbk",
    "kbbbbbbbbk",
    "kbwwwwwwbk",
    "kbwggggwbk",
    "kbwwwwwwbk",
    "kbwwwwwwbk",
    "kkkkkkkkkk",
};

// A hard disk: a drive with a lid, a bezel line and a busy light.
const std::vector<const char*> kHardDisk = {
    "................",
    "................",
    "................",
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kssssssssssssk.",
    ".kssssssssssssk.",
    ".kkkkkkkkkkkkkk.",
    ".kllllllllllllk.",
    ".klddddddlllllk.",
    ".kllllllllllGlk.",
    ".kllllllllllllk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
    "................",
};

// A cartridge half way into its drive.
const std::vector<const char*> kCartridgeDrive = {
    "................",
    "....kkkkkkkk....",
    "....kddddddk....",
    "....kdwwwwdk....",
    "....kdwggwdk....",
    "....kdwwwwdk....",
    "....kddddddk....",
    "....kddkkddk....",
    "....kddkkddk....",
    ".kkkkddddddkkkk.",
    ".ksskddddddkssk.",
    ".kllllllllllllk.",
    ".kllllllllllGlk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
};

// A disc lying on its drive.
const std::vector<const char*> kFlatDisc = {
    "...kkkkkkkk...",
    ".kksscccssskk.",
    "ksssssddsssssk",
    "kssssscdsssssk",
    ".kksssssssskk.",
    "...kkkkkkkk...",
};

const std::vector<const char*> kCdDrive = {
    ".kkkkkkkkkkkkkk.",
    ".kllllllllllllk.",
    ".klkkkkkkkkkklk.",
    ".kllllllllllllk.",
    ".kllllllllllolk.",
    ".kllllllllllllk.",
    ".kkkkkkkkkkkkkk.",
};

const std::vector<const char*> kPage = {
    "kkkkkkkk...",
    "kwwwwwwkk..",
    "kwwwwwwkwk.",
    "kwwwwwwkkkk",
    "kwwwwwwwwwk",
    "kwwwwwwwwwk",
    "kwwwwwwwwwk",
    "kwwwwwwwwwk",
    "kwwwwwwwwwk",
    "kwwwwwwwwwk",
    "kwwwwwwwwwk",
    "kwwwwwwwwwk",
    "kwwwwwwwwwk",
    "kwwwwwwwwwk",
    "kkkkkkkkkkk",
};

const std::vector<const char*> kSmallDisc = {
    "..kkk..",
    ".kcssk.",
    "kccsssk",
    "ksskssk",
    "ksssssk",
    ".ksssk.",
    "..kkk..",
};

const std::vector<const char*> kTextLines = {
    "ggggg..",
    ".......",
    "ggggggg",
    ".......",
    "gggggg.",
    ".......",
    "ggggggg",
    ".......",
    "gggg...",
};

const std::vector<const char*> kHourglass = {
    "................",
    "................",
    "...kkkkkkkkkk...",
    "....kyyyyyyk....",
    "....kyyyyyyk....",
    ".....kyyyyk.....",
    "......kyyk......",
    ".......kk.......",
    "......kwyk......",
    ".....kwwywk.....",
    "....kwwwywwk....",
    "....kwyyyyyk....",
    "....kyyyyyyk....",
    "...kkkkkkkkkk...",
    "................",
    "................",
};

const std::vector<const char*> kFolder = {
    "................",
    "................",
    ".kkkkkk.........",
    "kyyyyyykkkkkkkk.",
    "kyyyyyyyyyyyyyk.",
    "kYYYYYYYYYYYYYk.",
    "kyyyyyyyyyyyyyk.",
    "kyyyyyyyyyyyyyk.",
    "kyyyyyyyyyyyyyk.",
    "kyyyyyyyyyyyyyk.",
    "kyyyyyyyyyyyyyk.",
    "kyyyyyyyyyyyyyk.",
    "kyyyyyyyyyyyyyk.",
    "kkkkkkkkkkkkkkk.",
    "................",
    "................",
};
// clang-format on

}  // namespace

const std::vector<Pictogram>& pictograms() {
  static const std::vector<Pictogram> kAll = {
      {"program", {{kProgramDisc, 0, 0}, {kLetterK, 5, 4}}},
      {"disk_os", {{kCabinet, 0, 0}}},
      {"bank", {{kYellowCard, 5, 1}, {kOrangeCard, 3, 3}, {kNoteCard, 1, 5}}},
      {"sampler", {{kKeyboard, 0, 0}}},
      {"preset", {{kFaders, 0, 0}}},
      {"zone", {{kKeyRange, 0, 0}}},
      {"sample", {{kWaveform, 0, 0}}},
      {"floppy_drive", {{kFloppy, 0, 0}}},
      {"fixed_disk", {{kHardDisk, 0, 0}}},
      {"removable_disk", {{kCartridgeDrive, 0, 0}}},
      {"cdrom_drive", {{kCdDrive, 0, 7}, {kFlatDisc, 1, 2}}},
      {"image_file", {{kPage, 2, 0}, {kSmallDisc, 4, 6}}},
      {"placeholder", {{kHourglass, 0, 0}}},
      {"floppy_disk_os", {{kSmallFloppy, 1, 1}, {kSmallFloppy, 5, 5}}},
      {"folder", {{kFolder, 0, 0}}},
      {"document", {{kPage, 2, 0}, {kTextLines, 4, 5}}},
  };
  return kAll;
}

Image drawPictogram(const Pictogram& pictogram, int scale, std::string* error) {
  int size = kPictogramSize * scale;
  Image image(size, size, Rgb{});
  image.clear.assign(image.pixels.size(), 1);
  for (const PictogramLayer& layer : pictogram.layers) {
    for (std::size_t y = 0; y < layer.rows.size(); ++y) {
      const char* row = layer.rows[y];
      if (std::strlen(row) != std::strlen(layer.rows[0])) {
        *error = pictogram.name + ": ragged row " + std::to_string(y);
        return image;
      }
      for (std::size_t x = 0; x < std::strlen(row); ++x) {
        if (row[x] == '.')
          continue;
        Rgb colour;
        int gx = layer.x + static_cast<int>(x), gy = layer.y + static_cast<int>(y);
        if (!paletteColour(row[x], &colour) || gx >= kPictogramSize || gy >= kPictogramSize) {
          *error = pictogram.name + ": bad dot at row " + std::to_string(y);
          return image;
        }
        image.fillRect(gx * scale, gy * scale, scale, scale, colour);
      }
    }
  }
  return image;
}

Image treeBitmap(const Image& small) {
  const Rgb kWindow{255, 255, 255};
  Image tree(32, 17, kWindow);
  int left = (tree.width - small.width) / 2;
  for (int y = 0; y < small.height; ++y)
    for (int x = 0; x < small.width; ++x)
      if (!small.clear[y * small.width + x])
        tree.set(left + x, y, small.at(x, y));
  return tree;
}
