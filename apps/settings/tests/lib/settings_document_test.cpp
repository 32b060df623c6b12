#include "lib/settings_document.h"

#include "orvo_log/log.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>

namespace {

using orvo_doc::ActorId;
using orvo_doc::Document;
using orvo_doc::kRoot;
using orvo_doc::ObjId;
using orvo_doc::ObjType;
using orvo_doc::ScalarKind;
using orvo_doc::ScalarValue;
using settings::lib::ensure_text_object;
using settings::lib::put_if_changed;
using settings::lib::read_bool;
using settings::lib::read_f64;
using settings::lib::read_scalar;
using settings::lib::read_string;
using settings::lib::read_text;

constexpr std::string_view kKey = "pane.value";

Document new_document() {
  ActorId::Bytes bytes{};
  bytes.fill(7);
  return Document(ActorId(bytes));
}

void put(Document& doc, ScalarValue value) { ASSERT_TRUE(doc.put(kRoot, kKey, std::move(value))); }

ObjId put_text(Document& doc, std::string_view content) {
  ObjId text = doc.put_object(kRoot, kKey, ObjType::Text).value();
  EXPECT_TRUE(doc.splice_text(text, 0, 0, content));
  return text;
}

// What the key holds, and what each read gives for it. Reads go to (object, kKey) where the
// object is the root unless the row's setup returns another one.
struct ReadCase {
  const char* holds;
  std::function<ObjId(Document&)> setup;
  std::optional<ScalarKind> scalar;
  std::optional<std::string> text;
  std::optional<std::string> string;
  std::optional<double> f64;
  std::optional<bool> boolean;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.holds; }

ObjId holding(Document& doc, ScalarValue value) {
  put(doc, std::move(value));
  return kRoot;
}

ObjId holding_object(Document& doc, ObjType type) {
  EXPECT_TRUE(doc.put_object(kRoot, kKey, type));
  return kRoot;
}

const std::vector<ReadCase> kReadCases = {
    {"Str abc", [](Document& d) { return holding(d, ScalarValue::str("abc")); }, ScalarKind::Str, "abc", "abc", {}, {}},
    {"empty Str", [](Document& d) { return holding(d, ScalarValue::str("")); }, ScalarKind::Str, "", "", {}, {}},
    {"Str 1.5", [](Document& d) { return holding(d, ScalarValue::str("1.5")); }, ScalarKind::Str, "1.5", "1.5", {}, {}},
    {"Str true", [](Document& d) { return holding(d, ScalarValue::str("true")); }, ScalarKind::Str, "true", "true", {}, {}},
    {"Text abc", [](Document& d) { put_text(d, "abc"); return kRoot; }, {}, "abc", {}, {}, {}},
    {"empty Text", [](Document& d) { put_text(d, ""); return kRoot; }, {}, "", {}, {}, {}},
    {"F64 1.5", [](Document& d) { return holding(d, ScalarValue::f64(1.5)); }, ScalarKind::F64, {}, {}, 1.5, {}},
    {"Int 1", [](Document& d) { return holding(d, ScalarValue::int64(1)); }, ScalarKind::Int, {}, {}, {}, {}},
    {"Uint 1", [](Document& d) { return holding(d, ScalarValue::uint64(1)); }, ScalarKind::Uint, {}, {}, {}, {}},
    {"Counter 1", [](Document& d) { return holding(d, ScalarValue::counter(1)); }, ScalarKind::Counter, {}, {}, {}, {}},
    {"Timestamp", [](Document& d) { return holding(d, ScalarValue::timestamp(1)); }, ScalarKind::Timestamp, {}, {}, {}, {}},
    {"Boolean true", [](Document& d) { return holding(d, ScalarValue::boolean(true)); }, ScalarKind::Boolean, {}, {}, {}, true},
    {"Boolean false", [](Document& d) { return holding(d, ScalarValue::boolean(false)); }, ScalarKind::Boolean, {}, {}, {}, false},
    {"Null", [](Document& d) { return holding(d, ScalarValue::null()); }, ScalarKind::Null, {}, {}, {}, {}},
    {"Bytes", [](Document& d) { return holding(d, ScalarValue::bytes({1})); }, ScalarKind::Bytes, {}, {}, {}, {}},
    {"unknown kind", [](Document& d) { return holding(d, ScalarValue::unknown(99, {1})); }, ScalarKind::Unknown, {}, {}, {}, {}},
    {"Map", [](Document& d) { return holding_object(d, ObjType::Map); }, {}, {}, {}, {}, {}},
    {"List", [](Document& d) { return holding_object(d, ObjType::List); }, {}, {}, {}, {}, {}},
    {"Table", [](Document& d) { return holding_object(d, ObjType::Table); }, {}, {}, {}, {}, {}},
    {"nothing", [](Document&) { return kRoot; }, {}, {}, {}, {}, {}},
    {"key asked of a list", [](Document& d) { return d.put_object(kRoot, kKey, ObjType::List).value(); }, {}, {}, {}, {}, {}},
    {"key asked of a text", [](Document& d) { return put_text(d, "abc"); }, {}, {}, {}, {}, {}},
    {"unknown object", [](Document&) { return ObjId{4242}; }, {}, {}, {}, {}, {}},
};

class TypedReads : public testing::TestWithParam<ReadCase> {};

TEST_P(TypedReads, GiveOnlyTheirOwnKind) {
  const ReadCase& c = GetParam();
  Document doc = new_document();
  const ObjId obj = c.setup(doc);
  const std::size_t pending = doc.pending_ops();

  auto scalar = read_scalar(doc, obj, kKey);
  EXPECT_EQ(scalar ? std::optional(scalar->kind()) : std::nullopt, c.scalar);
  EXPECT_EQ(read_text(doc, obj, kKey), c.text);
  EXPECT_EQ(read_string(doc, obj, kKey), c.string);
  EXPECT_EQ(read_f64(doc, obj, kKey), c.f64);
  EXPECT_EQ(read_bool(doc, obj, kKey), c.boolean);
  // Owned keys read the same as views.
  EXPECT_EQ(read_text(doc, obj, std::string(kKey)), c.text);
  EXPECT_EQ(doc.pending_ops(), pending);
}

INSTANTIATE_TEST_SUITE_P(ByWhatTheKeyHolds, TypedReads, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<ReadCase>& info) {
                           std::string name = info.param.holds;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

TEST(EnsureTextObject, KeepsAnExistingTextWithoutANewChange) {
  Document doc = new_document();
  const ObjId text = put_text(doc, "abc");
  const auto heads = doc.get_heads();

  auto ensured = ensure_text_object(doc, kRoot, kKey);
  ASSERT_TRUE(ensured);
  EXPECT_EQ(*ensured, text);
  EXPECT_EQ(doc.pending_ops(), 0u);
  EXPECT_EQ(doc.get_heads(), heads);
}

TEST(EnsureTextObject, SeedsANewTextFromWhatTheKeyHeld) {
  struct Case {
    const char* holds;
    std::function<void(Document&)> setup;
    std::string content;
  };
  const std::vector<Case> cases = {
      {"Str abc", [](Document& d) { put(d, ScalarValue::str("abc")); }, "abc"},
      {"multibyte Str", [](Document& d) { put(d, ScalarValue::str("Zoë €")); }, "Zoë €"},
      {"empty Str", [](Document& d) { put(d, ScalarValue::str("")); }, ""},
      {"Boolean true", [](Document& d) { put(d, ScalarValue::boolean(true)); }, ""},
      {"F64", [](Document& d) { put(d, ScalarValue::f64(2.0)); }, ""},
      {"Map", [](Document& d) { ASSERT_TRUE(d.put_object(kRoot, kKey, ObjType::Map)); }, ""},
      {"nothing", [](Document&) {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.holds);
    Document doc = new_document();
    c.setup(doc);
    doc.commit();

    auto ensured = ensure_text_object(doc, kRoot, kKey);
    ASSERT_TRUE(ensured);
    EXPECT_EQ(doc.object_type(*ensured).value(), ObjType::Text);
    EXPECT_EQ(doc.text(*ensured).value(), c.content);
    EXPECT_EQ(read_text(doc, kRoot, kKey), c.content);
    EXPECT_EQ(read_string(doc, kRoot, kKey), std::nullopt);
    // Ensuring again is a no-op on the same object.
    const std::size_t pending = doc.pending_ops();
    EXPECT_EQ(ensure_text_object(doc, kRoot, kKey).value(), *ensured);
    EXPECT_EQ(doc.pending_ops(), pending);
  }
}

TEST(EnsureTextObject, RefusesAnObjectThatIsNotAMap) {
  Document doc = new_document();
  const ObjId list = doc.put_object(kRoot, "list", ObjType::List).value();
  orvo_log::CaptureScope capture;

  for (ObjId obj : {list, ObjId{4242}}) {
    auto ensured = ensure_text_object(doc, obj, kKey);
    ASSERT_FALSE(ensured);
    EXPECT_NE(ensured.error().message.find("seed a Text object for an editable field"), std::string::npos);
  }
  EXPECT_EQ(capture.count("broken invariant"), 2u);
  EXPECT_EQ(doc.length(list).value(), 0u);
}

TEST(PutIfChanged, HeadsMoveOnlyWhenTheValueChanges) {
  Document doc = new_document();
  ASSERT_TRUE(put_if_changed(doc, kRoot, "power.auto_suspend", ScalarValue::boolean(true)).value());
  const auto first = doc.get_heads();
  ASSERT_EQ(first.size(), 1u);

  // Same kind and value: nothing written, no pending operation, heads stay.
  EXPECT_FALSE(put_if_changed(doc, kRoot, "power.auto_suspend", ScalarValue::boolean(true)).value());
  EXPECT_EQ(doc.pending_ops(), 0u);
  EXPECT_EQ(doc.get_heads(), first);

  // A different value, or the same text under another kind, is a change.
  EXPECT_TRUE(put_if_changed(doc, kRoot, "power.auto_suspend", ScalarValue::boolean(false)).value());
  const auto second = doc.get_heads();
  EXPECT_NE(second, first);
  EXPECT_TRUE(put_if_changed(doc, kRoot, "power.auto_suspend", ScalarValue::str("false")).value());
  EXPECT_EQ(read_string(doc, kRoot, "power.auto_suspend"), "false");
  EXPECT_NE(doc.get_heads(), second);
}

TEST(PutIfChanged, OverwritesObjectsAndReportsRefusals) {
  Document doc = new_document();
  put_text(doc, "abc");
  EXPECT_TRUE(put_if_changed(doc, kRoot, kKey, ScalarValue::str("abc")).value());
  EXPECT_EQ(read_string(doc, kRoot, kKey), "abc");

  auto refused = put_if_changed(doc, ObjId{4242}, kKey, ScalarValue::boolean(true));
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().kind, orvo_doc::ErrorKind::NoSuchObject);
}

TEST(EffectiveHeads, AskingACloneLeavesTheOriginalsTransactionOpen) {
  Document doc = new_document();
  put(doc, ScalarValue::f64(0.5));
  ASSERT_TRUE(doc.put(kRoot, "audio.muted", ScalarValue::boolean(false)));
  ASSERT_TRUE(doc.put(kRoot, "audio.output_device", ScalarValue::str("Speakers")));
  ASSERT_EQ(doc.pending_ops(), 3u);

  const auto effective = doc.clone().get_heads();
  EXPECT_EQ(effective.size(), 1u);
  EXPECT_EQ(doc.pending_ops(), 3u);
  EXPECT_EQ(read_f64(doc, kRoot, kKey), 0.5);
}

}  // namespace
