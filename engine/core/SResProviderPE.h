#pragma once
#include "engine/core/IResProvider.h"

namespace SOUI {

class SResProviderPE : public TObjRefImpl<IResProvider> {
public:
    BOOL Init(WPARAM wp, LPARAM lp) override;
    BOOL HasResource(const wchar_t* type, const wchar_t* name) override;
    BOOL GetRawBuffer(const wchar_t* type, const wchar_t* name, std::string& out) override;
    HICON LoadIconW(const wchar_t* name, int size) override;

private:
    HINSTANCE m_hInst = nullptr;
};

}  // namespace SOUI
