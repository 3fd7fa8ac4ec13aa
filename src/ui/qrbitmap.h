#pragma once
#include <string>

// Writes the QR code of text as a 24-bit top-down BMP, 8 × 8 pixels a module, no
// quiet zone. Returns 0, or -1 (memory), -2 (file), -3 (the text cannot be encoded).
int WriteQrBitmap(const std::string& text, const std::wstring& fileName);
