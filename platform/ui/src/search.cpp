#include "orvo_ui/search.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace orvo_ui {
namespace {

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::vector<std::string> words_of(std::string_view text) {
  std::vector<std::string> words;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n')) ++pos;
    std::size_t end = pos;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\n') ++end;
    if (end > pos) words.push_back(ascii_lower(text.substr(pos, end - pos)));
    pos = end;
  }
  return words;
}

}  // namespace

SearchEntry SearchEntry::link(std::string_view provider, std::string_view title,
                              const orvo_actions::ActionAddress& address) {
  SearchEntry entry;
  entry.title = std::string(title);
  entry.provider = std::string(provider);
  entry.target = std::string(kActionLinkPrefix) + address.encode();
  return entry;
}

SearchEntry SearchEntry::with_detail(std::string_view text) && {
  detail = std::string(text);
  return std::move(*this);
}

SearchEntry SearchEntry::with_icon(Icon value) && {
  icon = value;
  return std::move(*this);
}

std::optional<orvo_actions::ActionAddress> SearchEntry::action_address() const {
  if (!target.starts_with(kActionLinkPrefix)) return std::nullopt;
  return orvo_actions::ActionAddress::decode(std::string_view(target).substr(kActionLinkPrefix.size()));
}

struct SearchCatalog::Content {
  mutable std::shared_mutex lock;
  std::vector<SearchEntry> entries;
  std::vector<std::string> texts;  // lower-cased search text per entry
  std::uint64_t words = 0;
  mutable std::atomic<std::uint64_t> queries{0};
  std::uint64_t generation = 0;
};

SearchCatalog::SearchCatalog(std::string_view name)
    : name_(std::make_shared<const std::string>(name)), content_(std::make_shared<Content>()) {}

void SearchCatalog::add(SearchEntry entry, std::string_view search_text) {
  std::string text = ascii_lower(entry.title) + " " + ascii_lower(search_text);
  std::unique_lock guard(content_->lock);
  content_->words += words_of(text).size();
  content_->entries.push_back(std::move(entry));
  content_->texts.push_back(std::move(text));
  ++content_->generation;
}

SearchPage SearchCatalog::query_page(std::string_view query, std::size_t offset, std::size_t page_size,
                                     std::size_t limit) const {
  const std::vector<std::string> words = words_of(query);
  SearchPage page;
  std::shared_lock guard(content_->lock);
  // Counting queries is bookkeeping only; it does not change what a cursor refers to.
  content_->queries.fetch_add(1, std::memory_order_relaxed);
  if (words.empty()) return page;
  for (std::size_t i = 0; i < content_->entries.size() && page.total < limit; ++i) {
    const std::string& text = content_->texts[i];
    bool all = std::all_of(words.begin(), words.end(),
                           [&](const std::string& w) { return text.find(w) != std::string::npos; });
    if (!all) continue;
    if (page.total >= offset && page.hits.size() < page_size) page.hits.push_back({content_->entries[i], i});
    ++page.total;
  }
  const std::size_t end = offset + page.hits.size();
  if (!page.hits.empty() && end < page.total) page.next = SearchCursor{content_->generation, end};
  return page;
}

SearchStats SearchCatalog::stats() const {
  std::shared_lock guard(content_->lock);
  return {content_->entries.size(), content_->words, content_->queries.load(std::memory_order_relaxed), content_->generation};
}

bool SearchCatalog::cursor_is_current(const SearchCursor& cursor) const {
  std::shared_lock guard(content_->lock);
  return cursor.generation == content_->generation;
}

}  // namespace orvo_ui
