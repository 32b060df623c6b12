#include "catalogues/input_bindings.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "actions/control_bindings.h"
#include "catalogues/input_actions.h"
#include "catalogues/section_catalogues.h"
#include "orvo_doc/document.h"
#include "preferences/preferences_file.h"
#include "settings_store/settings_path.h"

namespace settings::actions {
namespace {

// What the saved preferences file looked like when a section was built from it. The file is
// replaced whole on every save, so a save always gives it a new inode, even within one tick of the
// file system's clock.
struct SavedFileStamp {
  std::optional<std::filesystem::path> path;
  bool exists = false;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modified_ns = 0;
  bool operator==(const SavedFileStamp&) const = default;
};

SavedFileStamp saved_file_stamp() {
  SavedFileStamp stamp;
  stamp.path = settings_store::settings_path();
  struct stat info {};
  if (!stamp.path || ::stat(stamp.path->c_str(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modified_ns = std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec;
  return stamp;
}

orvo_actions::Resource build_input_section(const InputQueries& input) {
  // Only the input family is read by this section; the others answer offline.
  const CatalogueQueries& offline = offline_queries();
  const CatalogueQueries queries{offline.devices, offline.media, input, offline.lists, offline.mesh};
  const orvo_doc::Document document;
  const preferences::Preferences saved = preferences::load_preferences();
  return input_resource(SectionInputs{document, saved, {}, queries});
}

// A page binds a dozen controls on every layout, each against the section built from the saved
// preferences. Against the system's queries (whose layout catalogue is read once per process) the
// section is built again only when the saved file changed, so the result is always what a fresh
// build gives; other queries may answer differently from call to call and are never cached.
// The section is shared, not copied: a page asks for it once per control.
std::shared_ptr<const orvo_actions::Resource> input_section(const InputQueries& input) {
  if (&input != &system_input_queries()) return std::make_shared<const orvo_actions::Resource>(build_input_section(input));
  struct Cached {
    SavedFileStamp stamp;
    std::shared_ptr<const orvo_actions::Resource> section;
  };
  thread_local std::optional<Cached> cache;
  SavedFileStamp stamp = saved_file_stamp();
  if (!cache || !(cache->stamp == stamp)) {
    cache = Cached{std::move(stamp), std::make_shared<const orvo_actions::Resource>(build_input_section(input))};
  }
  return cache->section;
}

}  // namespace

std::optional<orvo_actions::ActionBinding<bool>> input_toggle_binding(std::string_view action,
                                                                      const InputQueries& queries) {
  return toggle_binding(*input_section(queries), action);
}

std::optional<orvo_actions::ActionBinding<std::string>> input_choice_binding(std::string_view action,
                                                                             const InputQueries& queries) {
  const auto section_ptr = input_section(queries);
  const orvo_actions::Resource& section = *section_ptr;
  const orvo_actions::ActionSpec* spec = section.find_action(action);
  if (spec == nullptr) return std::nullopt;
  std::string key = "value";
  for (const char* name : {"choice", "label"}) {
    if (spec->find_param(name) != nullptr) {
      key = name;
      break;
    }
  }
  return keyed_binding(section, action, std::move(key));
}

std::optional<orvo_actions::ActionBinding<double>> input_level_binding(std::string_view action,
                                                                       const InputQueries& queries) {
  return number_binding(*input_section(queries), action);
}

std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> keyboard_source_binding(std::string_view source_id,
                                                                                      std::string_view action,
                                                                                      const InputQueries& queries) {
  const auto section = input_section(queries);
  std::string id(kInputSourcePrefix);
  id += source_id;
  for (const auto& child : section->children) {
    if (child.id == id) return unit_binding(child, action);
  }
  return std::nullopt;
}

std::optional<orvo_actions::Resource> find_input_source_resource(std::vector<orvo_actions::Resource> children,
                                                                 std::string_view source_id) {
  std::string id(kInputSourcePrefix);
  id += source_id;
  for (auto& child : children) {
    if (child.id == id) return std::move(child);
  }
  return std::nullopt;
}

}  // namespace settings::actions
