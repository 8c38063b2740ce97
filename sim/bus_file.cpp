#include "sim/bus_file.h"

#include <cctype>
#include <sstream>

namespace {

constexpr int kMaxAdapter = 254;
constexpr int kMaxTarget = 7;
constexpr int kMaxLun = 7;

// Splits a line into words; text in double quotes, a whole word or the value
// of product="CD-ROM XM-3401", may hold blanks.
bool splitWords(const std::string& line, std::vector<std::string>* words) {
  std::size_t i = 0;
  while (i < line.size()) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if (std::isspace(c)) {
      ++i;
      continue;
    }
    if (c == '#')
      break;
    std::string word;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
      if (line[i] != '"') {
        word += line[i++];
        continue;
      }
      std::size_t end = line.find('"', i + 1);
      if (end == std::string::npos)
        return false;
      word += line.substr(i + 1, end - i - 1);
      i = end + 1;
    }
    words->push_back(word);
  }
  return true;
}

// A decimal number from 0 to max.
bool readNumber(const std::string& text, int max, int* value) {
  if (text.empty() || text.size() > 9)
    return false;
  long n = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
    n = n * 10 + (c - '0');
  }
  if (n > max)
    return false;
  *value = static_cast<int>(n);
  return true;
}

bool readKind(const std::string& text, SimUnitKind* kind) {
  static const struct {
    const char* name;
    SimUnitKind kind;
  } kinds[] = {{"disk", SimUnitKind::Disk},
               {"removable", SimUnitKind::Removable},
               {"optical", SimUnitKind::Optical},
               {"cdrom", SimUnitKind::CdRom},
               {"sampler", SimUnitKind::Sampler}};
  for (const auto& k : kinds) {
    if (text == k.name) {
      *kind = k.kind;
      return true;
    }
  }
  return false;
}

bool readHang(const std::string& text, SimHang* hang) {
  static const struct {
    const char* name;
    SimHang hang;
  } hangs[] = {{"tur", SimHang::TestUnitReady},
               {"inquiry", SimHang::Inquiry},
               {"read", SimHang::Read},
               {"write", SimHang::Write}};
  for (const auto& h : hangs) {
    if (text == h.name) {
      *hang = h.hang;
      return true;
    }
  }
  return false;
}

bool readSmdiFault(const std::string& text, SimSmdiFault* fault) {
  static const struct {
    const char* name;
    SimSmdiFault fault;
  } faults[] = {{"silent", SimSmdiFault::Silent},     {"wait-forever", SimSmdiFault::WaitForever},
                {"reject", SimSmdiFault::Reject},     {"zero-packet", SimSmdiFault::ZeroPacket},
                {"oversize", SimSmdiFault::Oversize}, {"odd", SimSmdiFault::Odd},
                {"rename", SimSmdiFault::Rename}};
  for (const auto& f : faults) {
    if (text == f.name) {
      *fault = f.fault;
      return true;
    }
  }
  return false;
}

bool isAbsolute(const std::string& path) {
  if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
    return true;
  return !path.empty() && (path[0] == '\\' || path[0] == '/');
}

// Applies one key=value word; the reason it does not read otherwise.
std::string applyKey(const std::string& word, SimUnitConfig* unit) {
  std::size_t eq = word.find('=');
  if (eq == std::string::npos || eq == 0)
    return "expected key=value, found \"" + word + "\"";
  std::string key = word.substr(0, eq);
  std::string value = word.substr(eq + 1);
  if (key == "vendor" || key == "product") {
    bool vendor = key == "vendor";
    if (value.size() > (vendor ? 8u : 16u))
      return "text too long in \"" + word + "\"";
    (vendor ? unit->vendor : unit->product) = value;
    return "";
  }
  if (key == "hang")
    return readHang(value, &unit->hang) ? "" : "bad hang in \"" + word + "\"";
  if (key == "smdi") {
    if (unit->kind != SimUnitKind::Sampler)
      return "smdi= is for samplers only, in \"" + word + "\"";
    return readSmdiFault(value, &unit->smdi) ? "" : "bad smdi in \"" + word + "\"";
  }
  int* number = key == "lun"         ? &unit->lun
                : key == "notready"  ? &unit->notReady
                : key == "failread"  ? &unit->failRead
                : key == "failwrite" ? &unit->failWrite
                                     : nullptr;
  if (!number)
    return "unknown key in \"" + word + "\"";
  if (!readNumber(value, key == "lun" ? kMaxLun : 999999999, number))
    return "bad number in \"" + word + "\"";
  return "";
}

std::string parseLine(const std::vector<std::string>& words, const std::string& folder,
                      const std::vector<SimUnitConfig>& earlier, SimUnitConfig* unit) {
  if (words.size() < 4)
    return "expected: adapter target kind source [key=value ...]";
  if (!readNumber(words[0], kMaxAdapter, &unit->adapter))
    return "bad host adapter \"" + words[0] + "\"";
  if (!readNumber(words[1], kMaxTarget, &unit->target))
    return "bad target \"" + words[1] + "\" (0 to 7)";
  if (!readKind(words[2], &unit->kind))
    return "unknown kind \"" + words[2] + "\"";
  if (words[3] != "-")
    unit->source = isAbsolute(words[3]) ? words[3] : folder + words[3];
  for (std::size_t i = 4; i < words.size(); ++i) {
    std::string why = applyKey(words[i], unit);
    if (!why.empty())
      return why;
  }
  for (const SimUnitConfig& e : earlier) {
    if (e.adapter == unit->adapter && e.target == unit->target)
      return "target already in use";
  }
  return "";
}

}  // namespace

BusDescription ParseBusText(const std::string& text, const std::string& folder) {
  BusDescription bus;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::vector<std::string> words;
    std::string why;
    if (!splitWords(line, &words))
      why = "unmatched quote";
    else if (words.empty())
      continue;
    SimUnitConfig unit;
    if (why.empty())
      why = parseLine(words, folder, bus.units, &unit);
    if (why.empty())
      bus.units.push_back(unit);
    else
      bus.skipped.push_back("line " + std::to_string(number) + ": " + why);
  }
  return bus;
}
