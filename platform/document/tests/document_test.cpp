#include "orvo_doc/document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

using orvo_doc::ActorId;
using orvo_doc::Document;
using orvo_doc::ErrorKind;
using orvo_doc::kRoot;
using orvo_doc::ObjectRef;
using orvo_doc::ObjId;
using orvo_doc::ObjType;
using orvo_doc::ScalarKind;
using orvo_doc::ScalarValue;
using orvo_doc::Value;

ActorId actor(std::uint8_t fill) {
  ActorId::Bytes bytes{};
  bytes.fill(fill);
  return ActorId(bytes);
}

std::optional<Value> get(const Document& doc, ObjId obj, std::string_view key) {
  auto got = doc.get(obj, key);
  EXPECT_TRUE(got.has_value()) << got.error().message;
  return got ? *got : std::nullopt;
}

ScalarValue scalar(const std::optional<Value>& value) {
  EXPECT_TRUE(value && std::holds_alternative<ScalarValue>(*value));
  return std::get<ScalarValue>(*value);
}

TEST(DocumentMap, EveryScalarKindRoundTrips) {
  const std::vector<ScalarValue> values = {
      ScalarValue::str("héllo"),
      ScalarValue::str(""),
      ScalarValue::int64(std::numeric_limits<std::int64_t>::min()),
      ScalarValue::uint64(std::numeric_limits<std::uint64_t>::max()),
      ScalarValue::f64(-0.5),
      ScalarValue::counter(7),
      ScalarValue::timestamp(1'700'000'000'000),
      ScalarValue::boolean(false),
      ScalarValue::null(),
      ScalarValue::bytes({0, 255, 10}),
      ScalarValue::unknown(42, {1, 2}),
  };
  Document doc(actor(1));
  for (std::size_t i = 0; i < values.size(); ++i) {
    ASSERT_TRUE(doc.put(kRoot, "k" + std::to_string(i), values[i]));
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(scalar(get(doc, kRoot, "k" + std::to_string(i))), values[i]);
  }
  EXPECT_EQ(doc.length(kRoot).value(), values.size());
  EXPECT_EQ(doc.pending_ops(), values.size());
}

TEST(DocumentMap, ManyKeysSurviveGrowthAndClone) {
  Document doc(actor(1));
  constexpr int kKeys = 2000;
  for (int i = 0; i < kKeys; ++i) ASSERT_TRUE(doc.put(kRoot, "key." + std::to_string(i), ScalarValue::int64(i)));
  ASSERT_TRUE(doc.put(kRoot, "key.7", ScalarValue::int64(-7)));
  Document copy = doc.clone();
  ASSERT_TRUE(copy.put(kRoot, "key.8", ScalarValue::int64(-8)));

  EXPECT_EQ(doc.length(kRoot).value(), static_cast<std::size_t>(kKeys));
  for (int i = 0; i < kKeys; ++i) {
    const std::string key = "key." + std::to_string(i);
    const std::int64_t want = i == 7 ? -7 : i;
    ASSERT_EQ(scalar(get(doc, kRoot, key)), ScalarValue::int64(want)) << key;
    const Value* lent = doc.lookup(kRoot, key).value();
    ASSERT_NE(lent, nullptr);
    EXPECT_EQ(std::get<ScalarValue>(*lent), ScalarValue::int64(want));
  }
  EXPECT_EQ(scalar(get(copy, kRoot, "key.8")), ScalarValue::int64(-8));
  EXPECT_EQ(scalar(get(doc, kRoot, "key.8")), ScalarValue::int64(8));
  EXPECT_EQ(doc.lookup(kRoot, "key.absent").value(), nullptr);
  EXPECT_FALSE(get(doc, kRoot, "").has_value());
}

TEST(DocumentMap, ScalarEqualityIsExact) {
  EXPECT_NE(ScalarValue::int64(1), ScalarValue::uint64(1));
  EXPECT_NE(ScalarValue::int64(1), ScalarValue::counter(1));
  EXPECT_NE(ScalarValue::f64(0.0), ScalarValue::f64(-0.0));
  EXPECT_EQ(ScalarValue::f64(std::nan("")), ScalarValue::f64(std::nan("")));
  EXPECT_NE(ScalarValue::str("true"), ScalarValue::boolean(true));
  EXPECT_FALSE(ScalarValue::int64(1).as_f64().has_value());
}

TEST(DocumentMap, NestedObjectsAndReplacement) {
  Document doc(actor(1));
  auto inner = doc.put_object(kRoot, "inner", ObjType::Map);
  ASSERT_TRUE(inner);
  auto list = doc.put_object(*inner, "list", ObjType::List);
  ASSERT_TRUE(list);
  auto text = doc.insert_object(*list, 0, ObjType::Text);
  ASSERT_TRUE(text);
  ASSERT_TRUE(doc.splice_text(*text, 0, 0, "x"));
  EXPECT_EQ(std::get<ObjectRef>(*get(doc, kRoot, "inner")), (ObjectRef{ObjType::Map, *inner}));
  EXPECT_EQ(doc.object_type(*list).value(), ObjType::List);

  // Writing a scalar over the map takes the map and everything in it out of the document.
  ASSERT_TRUE(doc.put(kRoot, "inner", ScalarValue::boolean(true)));
  for (ObjId gone : {*inner, *list, *text}) {
    auto type = doc.object_type(gone);
    ASSERT_FALSE(type);
    EXPECT_EQ(type.error().kind, ErrorKind::NoSuchObject);
  }
  EXPECT_EQ(scalar(get(doc, kRoot, "inner")), ScalarValue::boolean(true));
  EXPECT_FALSE(get(doc, kRoot, "absent").has_value());
}

TEST(DocumentErrors, RefusedCallsNameTheFaultAndChangeNothing) {
  Document doc(actor(1));
  const ObjId list = doc.put_object(kRoot, "list", ObjType::List).value();
  const ObjId text = doc.put_object(kRoot, "text", ObjType::Text).value();
  ASSERT_TRUE(doc.insert(list, 0, ScalarValue::int64(1)));
  const std::size_t pending = doc.pending_ops();
  const ObjId missing{9999};
  const std::string bad_utf8 = "\xC3\x28";

  struct Case {
    const char* name;
    std::function<std::optional<orvo_doc::Error>()> call;
    ErrorKind kind;
  };
  auto err = [](const auto& result) -> std::optional<orvo_doc::Error> {
    if (result) return std::nullopt;
    return result.error();
  };
  const std::vector<Case> cases = {
      {"get on unknown object", [&] { return err(doc.get(missing, "k")); }, ErrorKind::NoSuchObject},
      {"key read on a list", [&] { return err(doc.get(list, "k")); }, ErrorKind::WrongObjectType},
      {"key read on text", [&] { return err(doc.get(text, "k")); }, ErrorKind::WrongObjectType},
      {"index read on the root", [&] { return err(doc.get_at(kRoot, 0)); }, ErrorKind::WrongObjectType},
      {"text of a map", [&] { return err(doc.text(kRoot)); }, ErrorKind::WrongObjectType},
      {"put into a list by key", [&] { return err(doc.put(list, "k", ScalarValue::null())); },
       ErrorKind::WrongObjectType},
      {"put_object into unknown", [&] { return err(doc.put_object(missing, "k", ObjType::Map)); },
       ErrorKind::NoSuchObject},
      {"key not UTF-8", [&] { return err(doc.put(kRoot, bad_utf8, ScalarValue::null())); }, ErrorKind::InvalidUtf8},
      {"string not UTF-8", [&] { return err(doc.put(kRoot, "k", ScalarValue::str(bad_utf8))); },
       ErrorKind::InvalidUtf8},
      {"put_at past the end", [&] { return err(doc.put_at(list, 1, ScalarValue::null())); },
       ErrorKind::IndexOutOfRange},
      {"insert past the end", [&] { return err(doc.insert(list, 2, ScalarValue::null())); },
       ErrorKind::IndexOutOfRange},
      {"splice past the end", [&] { return err(doc.splice_text(text, 1, 0, "a")); }, ErrorKind::IndexOutOfRange},
      {"splice deletes past the end", [&] { return err(doc.splice_text(text, 0, 1, "")); },
       ErrorKind::IndexOutOfRange},
      {"splice of bad UTF-8", [&] { return err(doc.splice_text(text, 0, 0, bad_utf8)); }, ErrorKind::InvalidUtf8},
      {"splice into a map", [&] { return err(doc.splice_text(kRoot, 0, 0, "a")); }, ErrorKind::WrongObjectType},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto error = c.call();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, c.kind);
    EXPECT_FALSE(error->message.empty());
  }
  EXPECT_EQ(doc.text(kRoot).error().message, "Root is a map, not a text object");
  EXPECT_EQ(doc.get(missing, "k").error().message, "no object Id(9999) in this document");
  EXPECT_EQ(doc.pending_ops(), pending);
  EXPECT_EQ(doc.length(kRoot).value(), 2u);
  EXPECT_EQ(doc.length(list).value(), 1u);
}

TEST(DocumentList, InsertPutAndRead) {
  Document doc(actor(1));
  const ObjId list = doc.put_object(kRoot, "list", ObjType::List).value();
  ASSERT_TRUE(doc.insert(list, 0, ScalarValue::str("b")));
  ASSERT_TRUE(doc.insert(list, 0, ScalarValue::str("a")));
  ASSERT_TRUE(doc.insert(list, 2, ScalarValue::str("c")));
  ASSERT_TRUE(doc.put_at(list, 1, ScalarValue::str("B")));
  const ObjId map = doc.put_object_at(list, 2, ObjType::Map).value();
  ASSERT_TRUE(doc.put(map, "x", ScalarValue::int64(1)));

  EXPECT_EQ(doc.length(list).value(), 3u);
  EXPECT_EQ(scalar(doc.get_at(list, 0).value()), ScalarValue::str("a"));
  EXPECT_EQ(scalar(doc.get_at(list, 1).value()), ScalarValue::str("B"));
  EXPECT_EQ(std::get<ObjectRef>(*doc.get_at(list, 2).value()).id, map);
  EXPECT_FALSE(doc.get_at(list, 3).value().has_value());
}

TEST(DocumentText, SpliceCountsCodePoints) {
  Document doc(actor(1));
  const ObjId text = doc.put_object(kRoot, "t", ObjType::Text).value();
  ASSERT_EQ(doc.pending_ops(), 1u);
  ASSERT_TRUE(doc.splice_text(text, 0, 0, "añb€"));
  EXPECT_EQ(doc.pending_ops(), 5u);  // one per inserted code point
  EXPECT_EQ(doc.length(text).value(), 4u);
  ASSERT_TRUE(doc.splice_text(text, 1, 2, "ÿ"));  // "ñb" → "ÿ"
  EXPECT_EQ(doc.text(text).value(), "aÿ€");
  EXPECT_EQ(doc.pending_ops(), 8u);
  ASSERT_TRUE(doc.splice_text(text, 3, 0, "!"));  // at the end
  EXPECT_EQ(doc.text(text).value(), "aÿ€!");

  const std::size_t before = doc.pending_ops();
  ASSERT_TRUE(doc.splice_text(text, 2, 0, ""));
  EXPECT_EQ(doc.pending_ops(), before);
}

TEST(DocumentHeads, CommitNamesEachChange) {
  Document doc(actor(1));
  EXPECT_TRUE(doc.get_heads().empty());
  EXPECT_FALSE(doc.commit().has_value());

  ASSERT_TRUE(doc.put(kRoot, "a", ScalarValue::boolean(true)));
  auto first = doc.commit();
  ASSERT_TRUE(first);
  EXPECT_EQ(doc.pending_ops(), 0u);
  EXPECT_EQ(doc.get_heads(), std::vector{*first});
  EXPECT_EQ(first->to_hex().size(), 64u);

  // Nothing pending: no change, heads stay.
  EXPECT_FALSE(doc.commit().has_value());
  EXPECT_EQ(doc.get_heads(), std::vector{*first});

  // The same value again is still a change of its own.
  ASSERT_TRUE(doc.put(kRoot, "a", ScalarValue::boolean(true)));
  auto heads = doc.get_heads();
  EXPECT_EQ(doc.pending_ops(), 0u);
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_NE(heads[0], *first);
}

TEST(DocumentHeads, HashCoversActorAndContent) {
  auto heads_after = [](std::uint8_t actor_fill, ScalarValue value) {
    Document doc(actor(actor_fill));
    EXPECT_TRUE(doc.put(kRoot, "k", std::move(value)));
    return doc.get_heads();
  };
  EXPECT_EQ(heads_after(1, ScalarValue::int64(1)), heads_after(1, ScalarValue::int64(1)));
  EXPECT_NE(heads_after(1, ScalarValue::int64(1)), heads_after(1, ScalarValue::int64(2)));
  EXPECT_NE(heads_after(1, ScalarValue::int64(1)), heads_after(1, ScalarValue::uint64(1)));
  EXPECT_NE(heads_after(1, ScalarValue::int64(1)), heads_after(2, ScalarValue::int64(1)));
}

TEST(DocumentCopies, CloneKeepsTheOriginalsTransactionOpen) {
  Document doc(actor(1));
  ASSERT_TRUE(doc.put(kRoot, "a", ScalarValue::int64(1)));
  ASSERT_TRUE(doc.put(kRoot, "b", ScalarValue::int64(2)));
  ASSERT_TRUE(doc.put(kRoot, "c", ScalarValue::int64(3)));

  Document copy = doc.clone();
  EXPECT_EQ(copy.actor_id(), doc.actor_id());
  EXPECT_EQ(copy.pending_ops(), 3u);
  const auto effective = copy.get_heads();
  EXPECT_EQ(copy.pending_ops(), 0u);
  EXPECT_EQ(doc.pending_ops(), 3u);

  // The clone is independent, and committing the original gives the heads the clone foresaw.
  ASSERT_TRUE(copy.put(kRoot, "a", ScalarValue::int64(10)));
  EXPECT_EQ(scalar(get(doc, kRoot, "a")), ScalarValue::int64(1));
  EXPECT_EQ(doc.get_heads(), effective);
}

TEST(DocumentCopies, ForkCommitsAndTakesANewActor) {
  Document doc(actor(1));
  const ObjId text = doc.put_object(kRoot, "t", ObjType::Text).value();
  ASSERT_TRUE(doc.splice_text(text, 0, 0, "ab"));

  Document fork = doc.fork();
  EXPECT_EQ(doc.pending_ops(), 0u);
  EXPECT_NE(fork.actor_id(), doc.actor_id());
  EXPECT_EQ(fork.get_heads(), doc.get_heads());

  ASSERT_TRUE(fork.splice_text(text, 2, 0, "c"));
  EXPECT_EQ(fork.text(text).value(), "abc");
  EXPECT_EQ(doc.text(text).value(), "ab");
  EXPECT_NE(fork.get_heads(), doc.get_heads());
}

TEST(DocumentIds, ActorsAndDebugText) {
  EXPECT_NE(ActorId::random(), ActorId::random());
  EXPECT_NE(Document().actor_id(), Document().actor_id());
  EXPECT_EQ(actor(0xAB).to_hex_string(), "abababababababababababababababab");
  EXPECT_EQ(orvo_doc::to_debug_string(kRoot), "Root");
  EXPECT_EQ(orvo_doc::to_debug_string(ObjId{5}), "Id(5)");
}

}  // namespace
