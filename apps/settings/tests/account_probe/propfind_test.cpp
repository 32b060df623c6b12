#include "account_probe/propfind.h"

#include <gtest/gtest.h>

namespace {

using namespace settings::account_probe;

TEST(Propfind, TheCheckBodyIsExactly112Bytes) {
  const std::string body = propfind_body({{"DAV:", "resourcetype"}});
  EXPECT_EQ(body,
            R"(<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:"><D:prop><D:resourcetype/></D:prop></D:propfind>)");
  EXPECT_EQ(body.size(), 112u);
}

TEST(Propfind, PrefixesFollowRegistrationOrder) {
  const std::string body = propfind_body({{"http://example.org/ns?a&b", "size<x>"},
                                          {"urn:ietf:params:xml:ns:caldav", "calendar-home-set"},
                                          {"http://other.example/", "color"},
                                          {"http://example.org/ns?a&b", "again"},
                                          {"urn:ietf:params:xml:ns:carddav", "addressbook-home-set"}});
  EXPECT_EQ(body,
            R"(<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:" xmlns:x1="http://example.org/ns?a&amp;b")"
            R"( xmlns:C="urn:ietf:params:xml:ns:caldav" xmlns:x3="http://other.example/")"
            R"( xmlns:CR="urn:ietf:params:xml:ns:carddav"><D:prop><x1:size<x>/><C:calendar-home-set/><x3:color/>)"
            R"(<x1:again/><CR:addressbook-home-set/></D:prop></D:propfind>)");

  const NamespaceTable with_extra = propfind_namespaces({{"http://a.example/", "p"}}, "http://extra.example/");
  EXPECT_EQ(with_extra, (NamespaceTable{{"DAV:", "D"}, {"http://extra.example/", "x1"}, {"http://a.example/", "x2"}}));
}

TEST(Propfind, EscapesTheFiveXmlCharactersOnly) {
  EXPECT_EQ(xml_escape(R"(a"b&c'd<e>f g/ä)"), "a&quot;b&amp;c&apos;d&lt;e&gt;f g/ä");
  EXPECT_EQ(xml_escape("&amp;"), "&amp;amp;");
}

TEST(Propfind, DepthHeaderValues) {
  EXPECT_EQ(depth_header_value(DavDepth::Zero), "0");
  EXPECT_EQ(depth_header_value(DavDepth::One), "1");
  EXPECT_EQ(depth_header_value(DavDepth::Infinity), "infinity");
}

}  // namespace
