#include "driver/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(IsBase64TextTest, AcceptsAlphabetPaddingAndEmpty) {
  for (const char* text : {"", "YWJj", "====", "a+/=", "Zz09"}) {
    EXPECT_TRUE(IsBase64Text(text)) << text;
  }
}

TEST(IsBase64TextTest, RejectsBlanksLineBreaksAndOtherBytes) {
  for (const char* text : {"YW Jj", "a-b", "YWJj\n", "YW\tJj", "\xC3\xA9", "abc*"}) {
    EXPECT_FALSE(IsBase64Text(text)) << text;
  }
}

TEST(IsBase64TextTest, LooksOnlyAtTheFirst256Bytes) {
  const std::string valid(256, 'A');
  EXPECT_TRUE(IsBase64Text(valid + std::string(44, '-')));
  EXPECT_FALSE(IsBase64Text(std::string(255, 'A') + "-"));
}

TEST(IsBase64TextTest, StopsAtTheFirstZeroByte) { EXPECT_TRUE(IsBase64Text("YWJj\0 -"s)); }

TEST(Base64DecodeTest, DecodesPaddedAndFullGroups) {
  const std::pair<const char*, const char*> cases[] = {
      {"YWJj", "abc"}, {"YWI=", "ab"}, {"YQ==", "a"}, {"YQ==YWJj", "a"},
      {"YWJjZA==", "abcd"}, {"", ""}, {"YW\nJj", "abc"}, {"====", ""},
  };
  for (const auto& [text, expected] : cases) {
    const auto decoded = Base64Decode(text);
    ASSERT_TRUE(decoded.has_value()) << text;
    EXPECT_EQ(*decoded, expected) << text;
  }
}

TEST(Base64DecodeTest, FailsOnUnpaddedPartialGroupsAndForeignBytes) {
  for (const char* text : {"YWJjZA", "YQ", "YW-j", "YWJj*AAA"}) {
    EXPECT_FALSE(Base64Decode(text).has_value()) << text;
  }
}

TEST(Base64DecodeTest, KeepsEveryByteValue) {
  const auto decoded = Base64Decode("AP8Agw==");
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(*decoded, "\x00\xff\x00\x83"s);
}

TEST(Base64EncodeTest, PadsTheLastGroup) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("a"), "YQ==");
  EXPECT_EQ(Base64Encode("ab"), "YWI=");
  EXPECT_EQ(Base64Encode("abc"), "YWJj");
  EXPECT_EQ(Base64Encode("\x00\xff\x00\x83"s), "AP8Agw==");
}

TEST(Base64EncodeTest, RoundTripsEveryByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  for (std::size_t length = 0; length <= all.size(); length += 37) {
    const std::string bytes = all.substr(0, length);
    const auto decoded = Base64Decode(Base64Encode(bytes));
    ASSERT_TRUE(decoded.has_value()) << length;
    EXPECT_EQ(*decoded, bytes);
  }
}

}  // namespace
