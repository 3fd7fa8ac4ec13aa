#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A JSON value built for output only. Strings are byte strings: the writer never
// looks inside them except to escape '"', '\\' and control bytes one byte at a time,
// so GBK text (whose trail byte may be 0x5C) passes through intact.
class JsonNode {
public:
  enum class Kind { Null, Bool, Number, String, Array, Object };

  JsonNode() = default;
  static JsonNode Null() { return JsonNode(); }
  static JsonNode Bool(bool value);
  static JsonNode Number(std::int64_t value);
  static JsonNode String(std::string value);
  static JsonNode Array();
  static JsonNode Object();

  Kind kind() const { return kind_; }
  bool bool_value() const { return bool_; }
  std::int64_t number() const { return number_; }
  const std::string &string() const { return string_; }
  const std::vector<JsonNode> &items() const { return items_; }
  std::vector<JsonNode> &items() { return items_; }
  const std::vector<std::pair<std::string, JsonNode>> &members() const { return members_; }
  std::vector<std::pair<std::string, JsonNode>> &members() { return members_; }

  // Appends to an array; ignored for other kinds.
  JsonNode &Append(JsonNode item);
  // Adds a member to an object in insertion order; ignored for other kinds.
  JsonNode &Set(std::string key, JsonNode value);

private:
  Kind kind_ = Kind::Null;
  bool bool_ = false;
  std::int64_t number_ = 0;
  std::string string_;
  std::vector<JsonNode> items_;
  std::vector<std::pair<std::string, JsonNode>> members_;
};

// Compact JSON text of `node`, string bytes copied as they are apart from escapes.
std::string WriteJson(const JsonNode &node);

// Appends `bytes` as a quoted JSON string (byte-wise escaping).
void AppendJsonString(std::string &out, const std::string &bytes);

// The same tree with every string and key converted from UTF-8 to GBK.
JsonNode ToGbk(const JsonNode &node);
