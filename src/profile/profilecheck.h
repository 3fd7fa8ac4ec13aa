#pragma once
#include <string>

// What ops.dat can hold without the text changing the file's structure.

// A value stays on its key's line: no line break or NUL in it.
bool IsStorableProfileValue(const std::wstring& value);

// A section name stays one name: a storable value without ']', which would end it early.
bool IsStorableSectionName(const std::wstring& section);
