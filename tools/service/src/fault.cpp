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
    {FaultMode::Mutate, "mutate"},
    {FaultMode::Redirect, "redirect"},
};

struct MutationName {
  MutationKind kind;
  const char *name;
};

const MutationName kMutationNames[] = {
    {MutationKind::Cut, "cut"},         {MutationKind::Flip, "flip"},
    {MutationKind::Deep, "deep"},       {MutationKind::BigNum, "bignum"},
    {MutationKind::GbkLead, "gbklead"}, {MutationKind::Nul, "nul"},
    {MutationKind::Huge, "huge"},       {MutationKind::DupKeys, "dupkeys"},
};

// Replaces every `from` after `start` by `to`.
std::string ReplaceAll(std::string text, const std::string &from, const std::string &to,
                       size_t start = 0) {
  for (size_t at = text.find(from, start); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

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

bool ParseMutationKind(const std::string &text, MutationKind &kind) {
  for (const auto &entry : kMutationNames) {
    if (text == entry.name) {
      kind = entry.kind;
      return true;
    }
  }
  return false;
}

std::string MutateAnswer(const std::string &body, MutationKind kind, unsigned seed) {
  unsigned state = seed * 2654435761u + 1;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  const size_t data = body.find("\"data\":");
  const size_t dataStart = data == std::string::npos ? 0 : data + 7;
  switch (kind) {
  case MutationKind::Cut:
    return body.substr(0, body.empty() ? 0 : next() % body.size());
  case MutationKind::Flip: {
    std::string out = body;
    for (int i = 0; i < 4 && !out.empty(); ++i)
      out[next() % out.size()] ^= static_cast<char>(1 << (next() % 8));
    return out;
  }
  case MutationKind::Deep:
    return "{\"code\":200,\"data\":" + std::string(20000, '[') + std::string(20000, ']') + "}";
  case MutationKind::BigNum:
    return ReplaceAll(body, "\":\"", "\":1e999,\"n\":\"", dataStart);
  case MutationKind::GbkLead:
    return ReplaceAll(ReplaceAll(body, "\",", "\x81\",", dataStart), "\"}", "\xFE\"}", dataStart);
  case MutationKind::Nul:
    return ReplaceAll(ReplaceAll(body, "\",", std::string("\0\",", 3), dataStart), "\"}",
                      "\\u0000\"}", dataStart);
  case MutationKind::Huge: {
    std::string out = body;
    const size_t value = out.find("\":\"", dataStart);
    if (value != std::string::npos)
      out.insert(value + 3, std::string(400 * 1024, 'A'));
    return out;
  }
  case MutationKind::DupKeys:
    return ReplaceAll(body, "}", ",\"Name\":7,\"KeyNo\":[],\"code\":\"200\",\"apply_id\":{}}");
  }
  return body;
}
