#pragma once
#include <json/json.h>

#include <cstdint>
#include <string>

// Parses an answer; false for an empty or malformed one (never throws).
bool ParseAnswer(const std::string& answer, Json::Value& root);

// True when the root is an object whose "code" is a number equal to 200, or 1
// where `acceptOne`. A string, boolean, null or out-of-range code fails.
bool AnswerCodeOk(const Json::Value& root, bool acceptOne = false);

// The member `key` of an object; nullptr when absent or when `object` is not an object.
const Json::Value* Member(const Json::Value& object, const char* key);

// A member that must be a JSON string, decoded from the ANSI code page.
bool ReadString(const Json::Value& object, const char* key, std::wstring& out);
// The same, keeping the bytes (times are read from them).
bool ReadStringBytes(const Json::Value& object, const char* key, std::string& out);

// A member read as text: a string as it is, a number or boolean as its text, a
// missing or null member as empty text; an array or object fails.
bool ReadText(const Json::Value& object, const char* key, std::wstring& out);

// Seconds as atoi reads them: leading blanks, optional sign, digits up to the
// first other character, 0 without digits; clamped to 32 bits.
std::int32_t SecondsFromText(const std::string& text);

// Removes every "<em>" and then every "</em>"; a tag formed by a removal stays.
std::wstring RemoveEmTags(std::wstring text);
