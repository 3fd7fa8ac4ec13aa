#pragma once
#include <map>
#include "engine/core/IResProvider.h"

namespace SOUI {

// Resources handed over in memory (generated content, test fixtures).
class SResProviderMem : public TObjRefImpl<IResProvider> {
public:
    BOOL Init(WPARAM, LPARAM) override { return TRUE; }
    void AddResource(const std::wstring& type, const std::wstring& name, std::string data);
    BOOL HasResource(const wchar_t* type, const wchar_t* name) override;
    BOOL GetRawBuffer(const wchar_t* type, const wchar_t* name, std::string& out) override;
    HICON LoadIconW(const wchar_t*, int) override { return nullptr; }

private:
    std::map<std::wstring, std::string> m_items;
};

}  // namespace SOUI
