#include <gtest/gtest.h>
#include <json/json.h>

#include "gbk.h"
#include "json_writer.h"

namespace {

std::string Quoted(const std::string &bytes) {
  std::string out;
  AppendJsonString(out, bytes);
  return out;
}

} // namespace

TEST(json_writer, escapes_byte_wise) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"plain", "\"plain\""},
      {"a\"b", "\"a\\\"b\""},
      {"a\\b", "\"a\\\\b\""},
      {"line\nfeed\r\ttab", "\"line\\nfeed\\r\\ttab\""},
      {std::string("nul\0x", 5), "\"nul\\u0000x\""},
      {"\x1f", "\"\\u001f\""},
      // Bytes above 0x7F are copied, never turned into \u escapes.
      {"\xB0\xA2\xC0\xEF", "\"\xB0\xA2\xC0\xEF\""},
      {"\x7F", "\"\x7F\""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.out, Quoted(c.in));
}

// 誠 is D5 5C in GBK: the trail byte must be escaped, and a JSON reader must give
// back the two original bytes.
TEST(json_writer, gbk_trail_byte_5c_survives_a_json_reader) {
  const std::string name = Utf8ToGbk("深圳誠運物流有限公司");
  ASSERT_NE(std::string::npos, name.find('\\'));
  JsonNode root = JsonNode::Object();
  root.Set("Name", JsonNode::String(name));
  const std::string text = WriteJson(root);
  EXPECT_NE(std::string::npos, text.find("\xD5\\\\\xDF\\\\"));

  Json::Value parsed;
  Json::Reader reader;
  ASSERT_TRUE(reader.parse(text, parsed, true));
  EXPECT_EQ(name, parsed["Name"].asString());
}

TEST(json_writer, writes_tree_in_insertion_order) {
  JsonNode items = JsonNode::Array();
  items.Append(JsonNode::Number(-5)).Append(JsonNode::Bool(true)).Append(JsonNode::Null());
  JsonNode root = JsonNode::Object();
  root.Set("z", JsonNode::String("1")).Set("a", std::move(items)).Set("o", JsonNode::Object());
  EXPECT_EQ("{\"z\":\"1\",\"a\":[-5,true,null],\"o\":{}}", WriteJson(root));
}

TEST(json_writer, to_gbk_converts_keys_and_strings_only) {
  JsonNode root = JsonNode::Object();
  root.Set("名", JsonNode::String("阿里")).Set("n", JsonNode::Number(7));
  EXPECT_EQ("{\"\xC3\xFB\":\"\xB0\xA2\xC0\xEF\",\"n\":7}", WriteJson(ToGbk(root)));
}
