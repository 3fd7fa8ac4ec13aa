#include "engine/skins/SSkinPoolMgr.h"
#include "engine/core/SObjectFactoryMgr.h"
#include "engine/core/SDebug.h"
#include "engine/core/SStringUtil.h"

namespace SOUI {

namespace {
SSkinPoolMgr* g_skinPool = nullptr;
}

SSkinPoolMgr::SSkinPoolMgr()
{
    g_skinPool = this;
}

SSkinPoolMgr::~SSkinPoolMgr()
{
    m_skins.clear();
    if (g_skinPool == this)
        g_skinPool = nullptr;
}

SSkinPoolMgr* SSkinPoolMgr::getSingletonPtr()
{
    return g_skinPool;
}

void SSkinPoolMgr::LoadSkins(pugi::xml_node node)
{
    auto* factories = SObjectFactoryMgr::getSingletonPtr();
    if (!factories)
        return;
    for (auto e : node.children()) {
        if (e.type() != pugi::node_element)
            continue;
        std::wstring cls = Utf8ToWide(e.name());
        std::wstring name = Utf8ToWide(e.attribute("name").value());
        SObject* obj = factories->CreateObject(cls, Skin);
        auto* skin = dynamic_cast<ISkinObj*>(obj);
        if (!skin) {
            SLog(L"unknown skin class '" + cls + L"' for skin '" + name + L"'");
            delete obj;
            continue;
        }
        obj->InitFromXml(e);
        if (name.empty())
            SLog(L"skin of class '" + cls + L"' without a name is dropped");
        else
            m_skins[name] = skin;
        skin->Release();
    }
}

ISkinObj* SSkinPoolMgr::GetSkin(const std::wstring& name, int)
{
    auto it = m_skins.find(name);
    return it == m_skins.end() ? nullptr : it->second.get();
}

void SSkinPoolMgr::AddSkin(const std::wstring& name, ISkinObj* skin)
{
    m_skins[name] = skin;
}

}  // namespace SOUI
