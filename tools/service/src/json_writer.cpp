#include "json_writer.h"

#include "gbk.h"

JsonNode JsonNode::Bool(bool value) {
  JsonNode node;
  node.kind_ = Kind::Bool;
  node.bool_ = value;
  return node;
}

JsonNode JsonNode::Number(std::int64_t value) {
  JsonNode node;
  node.kind_ = Kind::Number;
  node.number_ = value;
  return node;
}

JsonNode JsonNode::String(std::string value) {
  JsonNode node;
  node.kind_ = Kind::String;
  node.string_ = std::move(value);
  return node;
}

JsonNode JsonNode::Array() {
  JsonNode node;
  node.kind_ = Kind::Array;
  return node;
}

JsonNode JsonNode::Object() {
  JsonNode node;
  node.kind_ = Kind::Object;
  return node;
}

JsonNode &JsonNode::Append(JsonNode item) {
  if (kind_ == Kind::Array)
    items_.push_back(std::move(item));
  return *this;
}

JsonNode &JsonNode::Set(std::string key, JsonNode value) {
  if (kind_ == Kind::Object)
    members_.emplace_back(std::move(key), std::move(value));
  return *this;
}

void AppendJsonString(std::string &out, const std::string &bytes) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if (c < 0x20) {
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0x0F];
      } else {
        out += ch;
      }
    }
  }
  out += '"';
}

namespace {

void Write(std::string &out, const JsonNode &node) {
  switch (node.kind()) {
  case JsonNode::Kind::Null:
    out += "null";
    break;
  case JsonNode::Kind::Bool:
    out += node.bool_value() ? "true" : "false";
    break;
  case JsonNode::Kind::Number:
    out += std::to_string(node.number());
    break;
  case JsonNode::Kind::String:
    AppendJsonString(out, node.string());
    break;
  case JsonNode::Kind::Array: {
    out += '[';
    bool first = true;
    for (const auto &item : node.items()) {
      if (!first)
        out += ',';
      first = false;
      Write(out, item);
    }
    out += ']';
    break;
  }
  case JsonNode::Kind::Object: {
    out += '{';
    bool first = true;
    for (const auto &member : node.members()) {
      if (!first)
        out += ',';
      first = false;
      AppendJsonString(out, member.first);
      out += ':';
      Write(out, member.second);
    }
    out += '}';
    break;
  }
  }
}

} // namespace

std::string WriteJson(const JsonNode &node) {
  std::string out;
  Write(out, node);
  return out;
}

JsonNode ToGbk(const JsonNode &node) {
  switch (node.kind()) {
  case JsonNode::Kind::String:
    return JsonNode::String(Utf8ToGbk(node.string()));
  case JsonNode::Kind::Array: {
    JsonNode copy = JsonNode::Array();
    for (const auto &item : node.items())
      copy.Append(ToGbk(item));
    return copy;
  }
  case JsonNode::Kind::Object: {
    JsonNode copy = JsonNode::Object();
    for (const auto &member : node.members())
      copy.Set(Utf8ToGbk(member.first), ToGbk(member.second));
    return copy;
  }
  default:
    return node;
  }
}
