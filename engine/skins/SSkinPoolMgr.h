#pragma once
#include <map>
#include <string>
#include <pugixml.hpp>
#include "engine/skins/ISkinObj.h"

namespace SOUI {

// Named skins built from the skin table.
class SSkinPoolMgr {
public:
    SSkinPoolMgr();
    ~SSkinPoolMgr();
    static SSkinPoolMgr* getSingletonPtr();
    // Builds every child of node through the skin factories; a bad entry is skipped with a line.
    void LoadSkins(pugi::xml_node node);
    // nullptr when no skin has the name.
    ISkinObj* GetSkin(const std::wstring& name, int scale = 100);
    void AddSkin(const std::wstring& name, ISkinObj* skin);

private:
    std::map<std::wstring, SAutoRefPtr<ISkinObj>> m_skins;
};

}  // namespace SOUI
