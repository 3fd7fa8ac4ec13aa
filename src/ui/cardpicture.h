#pragma once
#include <string>

// Composes the business card picture: the background at (0, 0) at its own size and
// the QR bitmap scaled into x 160, y 325, 360 × 360, saved as PNG into target.
// When the background file cannot be loaded, the copy compiled into the program
// ("IMG:img_bizcardframe") is used. On failure no target file is left, so an older
// card can never be handed out as the new one. GDI+ must be running.
bool ComposeCardPicture(const std::wstring& backgroundFile, const std::wstring& qrFile, const std::wstring& target);
