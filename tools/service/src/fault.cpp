#include "fault.h"

namespace {

struct ModeName {
  FaultMode mode;
  const char *name;
};

const ModeName kModeNames[] = {
    {FaultMode::None, "none"},
    {FaultMode::NotFound, "404"},
    {FaultMode::ServerError, "500"},
    {FaultMode::NonJson, "nonjson"},
    {FaultMode::WrongTypes, "wrongtypes"},
    {FaultMode::EmptyData, "emptydata"},
    {FaultMode::Slow, "slow"},
    {FaultMode::Drop, "drop"},
    {FaultMode::Endless, "endless"},
};

// A value of another JSON kind than `data` had, so a reader expecting that kind fails.
JsonNode WrongKindOf(const JsonNode &data) {
  switch (data.kind()) {
  case JsonNode::Kind::Array: {
    JsonNode object = JsonNode::Object();
    if (!data.items().empty())
      object.Set("0", data.items().front());
    return object;
  }
  case JsonNode::Kind::Object:
  case JsonNode::Kind::String:
    return JsonNode::Number(5);
  default:
    return JsonNode::Object();
  }
}

JsonNode StringsToNumbers(const JsonNode &node) {
  switch (node.kind()) {
  case JsonNode::Kind::String:
    return JsonNode::Number(5);
  case JsonNode::Kind::Array: {
    JsonNode copy = JsonNode::Array();
    for (const auto &item : node.items())
      copy.Append(StringsToNumbers(item));
    return copy;
  }
  case JsonNode::Kind::Object: {
    JsonNode copy = JsonNode::Object();
    for (const auto &member : node.members())
      copy.Set(member.first, StringsToNumbers(member.second));
    return copy;
  }
  default:
    return node;
  }
}

} // namespace

bool ParseFaultMode(const std::string &text, FaultMode &mode) {
  for (const ModeName &entry : kModeNames) {
    if (text == entry.name) {
      mode = entry.mode;
      return true;
    }
  }
  return false;
}

const char *FaultModeName(FaultMode mode) {
  for (const ModeName &entry : kModeNames)
    if (entry.mode == mode)
      return entry.name;
  return "none";
}

bool ParseWrongTypesKind(const std::string &text, WrongTypesKind &kind) {
  if (text == "all")
    kind = WrongTypesKind::All;
  else if (text == "code")
    kind = WrongTypesKind::Code;
  else if (text == "data")
    kind = WrongTypesKind::Data;
  else if (text == "fields")
    kind = WrongTypesKind::Fields;
  else
    return false;
  return true;
}

FaultSettings FaultState::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_;
}

void FaultState::Set(const FaultSettings &settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  settings_ = settings;
}

FaultSettings FaultState::For(const std::string &path) const {
  FaultSettings settings = Get();
  if (!settings.only.empty() && path != "/" + settings.only)
    return FaultSettings();
  return settings;
}

JsonNode ApplyJsonFault(const FaultSettings &fault, const JsonNode &envelope) {
  if (fault.mode != FaultMode::WrongTypes && fault.mode != FaultMode::EmptyData)
    return envelope;
  JsonNode out = JsonNode::Object();
  for (const auto &member : envelope.members()) {
    const std::string &key = member.first;
    const JsonNode &value = member.second;
    if (fault.mode == FaultMode::EmptyData) {
      out.Set(key, key == "data" ? JsonNode::Array() : value);
      continue;
    }
    bool break_code = fault.kind == WrongTypesKind::All || fault.kind == WrongTypesKind::Code;
    bool break_data = fault.kind == WrongTypesKind::All || fault.kind == WrongTypesKind::Data;
    if (key == "code" && break_code && value.kind() == JsonNode::Kind::Number)
      out.Set(key, JsonNode::String(std::to_string(value.number())));
    else if (key == "data" && break_data)
      out.Set(key, WrongKindOf(value));
    else if (key == "data" && fault.kind == WrongTypesKind::Fields)
      out.Set(key, StringsToNumbers(value));
    else
      out.Set(key, value);
  }
  return out;
}
