#pragma once
// The toolkit's global search: catalogs of entries that applications fill, and the provider
// interface through which the search asks an application for results.
//
// A catalog is a shared handle: copies see the same entries. Its content sits under its own lock,
// so a provider may be queried from any thread while the application adds entries.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_actions/address.h"
#include "orvo_actions/resource.h"
#include "orvo_ui/icon.h"

namespace orvo_ui {

// One result the search can show. A link entry's target is U+0001 "action" U+001F followed by the
// encoded address of the action it opens.
struct SearchEntry {
  std::string title;
  std::string provider;
  std::string target;
  std::optional<std::string> detail;
  std::optional<std::string> secondary;
  std::uint32_t weight = 0;
  std::optional<Icon> icon;

  static SearchEntry link(std::string_view provider, std::string_view title, const orvo_actions::ActionAddress& address);
  [[nodiscard]] SearchEntry with_detail(std::string_view text) &&;
  [[nodiscard]] SearchEntry with_icon(Icon value) &&;
  // The address of a link entry's target; none for any other target.
  std::optional<orvo_actions::ActionAddress> action_address() const;

  friend bool operator==(const SearchEntry&, const SearchEntry&) = default;
};

inline constexpr std::string_view kActionLinkPrefix = "\x01" "action" "\x1f";

struct SearchHit {
  SearchEntry entry;
  // Position of the entry in its catalog.
  std::size_t index = 0;
};

// Where a paged query stopped; current while the catalog has not changed since.
struct SearchCursor {
  std::uint64_t generation = 0;
  std::size_t offset = 0;
};

struct SearchPage {
  std::vector<SearchHit> hits;
  // Matches within the limit, of which `hits` is one page.
  std::size_t total = 0;
  // Where the next page starts; none on the last page.
  std::optional<SearchCursor> next;
};

// entries, searchable words, queries answered, generation (raised by every change).
using SearchStats = std::array<std::uint64_t, 4>;

class SearchCatalog {
 public:
  explicit SearchCatalog(std::string_view name);
  static SearchCatalog create(std::string_view name) { return SearchCatalog(name); }

  std::string_view name() const { return *name_; }

  // Adds an entry found by the words of `search_text` (and its title).
  void add(SearchEntry entry, std::string_view search_text);

  // A query matches an entry when every word of the query (ASCII case folded) is part of the entry's
  // search text; a blank query matches nothing. Matches come in catalog order. Of the first `limit`
  // matches the page holds those from `offset` on, at most `page_size`.
  SearchPage query_page(std::string_view query, std::size_t offset, std::size_t page_size, std::size_t limit) const;
  SearchStats stats() const;
  bool cursor_is_current(const SearchCursor& cursor) const;

  // Whether two handles share one catalog.
  bool shares_with(const SearchCatalog& other) const { return content_ == other.content_; }

 private:
  struct Content;
  std::shared_ptr<const std::string> name_;
  std::shared_ptr<Content> content_;
};

// What an application contributes to the global search.
class SearchProvider {
 public:
  virtual ~SearchProvider() = default;
  virtual std::string_view name() const = 0;
  virtual std::optional<std::uint64_t> stats() const { return std::nullopt; }
  virtual bool cursor_is_current(const SearchCursor& /*cursor*/) const { return false; }
  virtual std::vector<SearchHit> query(std::string_view text) const = 0;
  virtual std::vector<SearchHit> query_limited(std::string_view text, std::size_t limit) const = 0;
  virtual SearchPage query_page(std::string_view text, std::size_t offset, std::size_t page_size,
                                std::size_t limit) const = 0;
  // The resource a result's action address opens, when the provider knows it.
  virtual std::optional<orvo_actions::Resource> open_resource(const orvo_actions::ActionAddress& /*address*/) const {
    return std::nullopt;
  }
};

}  // namespace orvo_ui
