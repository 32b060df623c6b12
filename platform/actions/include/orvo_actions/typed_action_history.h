#pragma once
// Heads around typed changes of a document. A change that builds up over several steps (a text
// field editing the document as the user types) records the heads the document had before it;
// the dispatch that finally carries the typed action out asks for them, and reports the heads
// before and after once the change is in. Thread-safe.
#include <optional>
#include <vector>

#include "orvo_doc/change_hash.h"

namespace orvo_doc {
class Document;
}

namespace orvo_actions {

using Heads = std::vector<orvo_doc::ChangeHash>;

// Records the heads before a pending change of the document; a later record replaces it.
void record_typed_action_before(const orvo_doc::Document& document, Heads heads);

// The heads recorded before the document's pending change, or none when no change is pending.
std::optional<Heads> typed_action_before(const orvo_doc::Document& document);

// Reports a carried-out typed change; the pending record of the document ends with it.
void report_typed_action(const orvo_doc::Document& document, Heads before, Heads after);

struct TypedActionReport {
  const orvo_doc::Document* document = nullptr;
  Heads before;
  Heads after;
  friend bool operator==(const TypedActionReport&, const TypedActionReport&) = default;
};

// The reports made since the last call, oldest first.
std::vector<TypedActionReport> take_typed_action_reports();

}  // namespace orvo_actions
