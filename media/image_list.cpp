#include "media/image_list.h"

#include "core/context.h"

namespace {

std::string entryName(int entry) {
  return std::to_string(entry);
}

// Copies value from to value to, deleting to when from does not read.
void moveEntry(Registry& registry, RegKey key, int from, int to) {
  std::string path;
  if (registry.readString(key, entryName(from), kImagePathSize, &path))
    registry.writeString(key, entryName(to), path);
  else
    registry.deleteValue(key, entryName(to));
}

}  // namespace

RegKey OpenImageListKey(Context& ctx, const ImageListKey& list) {
  if (ctx.settingsKey == kNoKey)
    return kNoKey;
  return ctx.registry.createKey(ctx.settingsKey, list.key);
}

int ReadImageListCount(Context& ctx, RegKey key, const ImageListKey& list) {
  std::uint32_t files = 0;
  if (key == kNoKey || !ctx.registry.readNumber(key, list.count, &files))
    return 0;
  return files <= kMaxListEntries ? static_cast<int>(files) : 0;
}

std::string ReadImageListEntry(Context& ctx, RegKey key, int k) {
  std::string path;
  if (key == kNoKey || !ctx.registry.readString(key, entryName(k), kImagePathSize, &path))
    path.clear();
  return path;
}

void RemoveImageListEntryAt(Context& ctx, RegKey key, const ImageListKey& list, int listIndex,
                            int count) {
  if (key == kNoKey || listIndex < 0 || listIndex >= count)
    return;
  Registry& registry = ctx.registry;
  for (int k = listIndex + 2; k <= count; ++k)
    moveEntry(registry, key, k, k - 1);
  registry.deleteValue(key, entryName(count));
  registry.writeNumber(key, list.count, static_cast<std::uint32_t>(count - 1));
}

void InsertImageListEntryAt(Context& ctx, RegKey key, const ImageListKey& list, int k, int count,
                            const std::string& path) {
  if (key == kNoKey || k < 1 || k > count + 1)
    return;
  Registry& registry = ctx.registry;
  for (int i = count; i >= k; --i)
    moveEntry(registry, key, i, i + 1);
  registry.writeString(key, entryName(k), path);
  registry.writeNumber(key, list.count, static_cast<std::uint32_t>(count + 1));
}
