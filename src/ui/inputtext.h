#pragma once
#include <string>

// What the merchant typed, as the windows read it: only U+0020 spaces at either end
// are dropped; tabs, full-width spaces and inner spaces stay.
std::wstring TrimSpaces(const std::wstring& text);

// True when the whole text is a mainland mobile number of the accepted ranges:
// eleven ASCII digits starting 130-139, 147, 150-153, 155-159, 180, 182 or 185-189.
bool IsMobileNumber(const std::wstring& text);
