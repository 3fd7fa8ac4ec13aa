#include "safename.h"

bool IsSafeFileNamePart(const std::wstring& value)
{
    if (value.find(L"..") != std::wstring::npos)
        return false;
    for (wchar_t c : value) {
        if (c < 0x20 || c == 0x7F)
            return false;
        switch (c) {
        case L'\\':
        case L'/':
        case L':':
        case L'*':
        case L'?':
        case L'"':
        case L'<':
        case L'>':
        case L'|':
            return false;
        default:
            break;
        }
    }
    return true;
}
