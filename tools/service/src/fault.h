#pragma once
#include <mutex>
#include <string>

#include "json_writer.h"

// Misbehaviour the service can be switched into so client tests can meet it.
enum class FaultMode {
  None,
  NotFound,
  ServerError,
  NonJson,
  WrongTypes,
  EmptyData,
  Slow,
  Drop,
  Endless,
  Mutate,
  Redirect
};

// How "mutate" damages a valid answer's bytes (hostile input for the client).
enum class MutationKind {
  Cut,     // cut at a seeded point
  Flip,    // a few seeded bits flipped
  Deep,    // "data" nested 20,000 arrays deep
  BigNum,  // every string value of "data" preceded by a key holding 1e999
  GbkLead, // a stray GBK lead byte at the end of every string value
  Nul,     // NUL bytes, raw and escaped, at the end of string values
  Huge,    // a 400 KB string at the front of "data"
  DupKeys, // duplicate keys of another type at the end of every object
};

// How "wrongtypes" breaks an answer.
enum class WrongTypesKind {
  All,    // "code" as a string and "data" of the wrong kind
  Code,   // only "code" as a string
  Data,   // only "data" of the wrong kind
  Fields, // every string inside "data" becomes the number 5
};

struct FaultSettings {
  FaultMode mode = FaultMode::None;
  int seconds = 5;  // delay of "slow"
  std::string only; // endpoint name the fault is limited to; empty: every request
  WrongTypesKind kind = WrongTypesKind::All;
  MutationKind mutation = MutationKind::Cut;
  unsigned seed = 1;         // of "mutate"
  std::string to;            // target of "redirect"
  int redirect_status = 302; // 301, 302, 303, 307 or 308
};

// Parses the control request's values; false (settings unchanged) on an unknown value.
bool ParseFaultMode(const std::string &text, FaultMode &mode);
bool ParseWrongTypesKind(const std::string &text, WrongTypesKind &kind);
bool ParseMutationKind(const std::string &text, MutationKind &kind);
const char *FaultModeName(FaultMode mode);

// The current fault, shared by all server threads.
class FaultState {
public:
  FaultSettings Get() const;
  void Set(const FaultSettings &settings);
  // The fault that applies to a request for `path` ("/Invoice_addFaiao"); None when
  // the fault is limited to another endpoint.
  FaultSettings For(const std::string &path) const;

private:
  mutable std::mutex mutex_;
  FaultSettings settings_;
};

// Applies "mutate" to the bytes of an answer; the same seed gives the same bytes.
std::string MutateAnswer(const std::string &body, MutationKind kind, unsigned seed);

// Applies "wrongtypes" or "emptydata" to a JSON envelope {"code":..., "data":...}.
JsonNode ApplyJsonFault(const FaultSettings &fault, const JsonNode &envelope);
