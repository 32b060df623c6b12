#include "desktop_policy/resource_kind.h"

#include <gtest/gtest.h>

namespace {

using desktop_policy::defaults::AppCandidate;
using desktop_policy::defaults::ResourceKind;

TEST(ResourceKind, MakesLowerCaseIdsOrNone) {
  EXPECT_EQ(ResourceKind::mime("Text/HTML"), "mime:text/html");
  EXPECT_EQ(ResourceKind::mime("application/vnd.oasis.opendocument.text"),
            "mime:application/vnd.oasis.opendocument.text");
  EXPECT_EQ(ResourceKind::scheme("HTTPS"), "scheme:https");
  EXPECT_EQ(ResourceKind::scheme("web+app"), "scheme:web+app");
  EXPECT_EQ(ResourceKind::extension(".PDF"), "ext:pdf");
  for (const char* bad : {"", "text", "/html", "text/", "text/ht ml", "text/html/x", "a/b;c"}) {
    EXPECT_EQ(ResourceKind::mime(bad), std::nullopt) << bad;
  }
  for (const char* bad : {"", "1http", "ht tp", "a:b", "a/b"}) EXPECT_EQ(ResourceKind::scheme(bad), std::nullopt) << bad;
  for (const char* bad : {"", ".", "tar.gz", "a/b"}) EXPECT_EQ(ResourceKind::extension(bad), std::nullopt) << bad;
}

TEST(ResourceKind, LabelsKnownAndUnknownKinds) {
  EXPECT_EQ(ResourceKind::display_label("mime:text/html"), "Web pages");
  EXPECT_EQ(ResourceKind::display_label("scheme:mailto"), "Email links");
  EXPECT_EQ(ResourceKind::display_label("scheme:https"), "Web links (https)");
  EXPECT_EQ(ResourceKind::display_label("mime:application/zip"), "ZIP archives");
  EXPECT_EQ(ResourceKind::display_label("mime:text/x-c++hdr"), "C++ header files");
  EXPECT_EQ(ResourceKind::display_label("ext:md"), ".md files");
  // No raw MIME type reaches the user: the subtype is read as a name.
  for (const auto& [kind, label] : std::initializer_list<std::pair<const char*, const char*>>{
           {"mime:image/png", "PNG images"},
           {"mime:image/avs", "AVS images"},
           {"mime:audio/x-flac", "FLAC audio"},
           {"mime:video/x-matroska", "Matroska videos"},
           {"mime:application/vnd.rar", "RAR files"},
           {"mime:application/epub+zip", "EPUB files"},
           {"mime:text/x-haskell", "Haskell text files"},
           {"scheme:irc", "IRC links"},
       }) {
    EXPECT_EQ(ResourceKind::display_label(kind), label) << kind;
  }
}

TEST(AppCandidate, HandlesOnlyItsKinds) {
  const AppCandidate candidate{"viewer", "Viewer", {"mime:image/png", "scheme:https"}};
  EXPECT_TRUE(candidate.handles_kind("scheme:https"));
  EXPECT_FALSE(candidate.handles_kind("mime:image/jpeg"));
}

}  // namespace
