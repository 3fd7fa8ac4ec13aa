#include "engine/core/SObjectFactoryMgr.h"
#include "engine/core/SStringUtil.h"

namespace SOUI {

namespace {
SObjectFactoryMgr* g_factories = nullptr;
}

SObjectFactoryMgr::SObjectFactoryMgr()
{
    g_factories = this;
}

SObjectFactoryMgr::~SObjectFactoryMgr()
{
    if (g_factories == this)
        g_factories = nullptr;
}

SObjectFactoryMgr* SObjectFactoryMgr::getSingletonPtr()
{
    return g_factories;
}

bool SObjectFactoryMgr::RegisterFactory(const SObjectFactory& factory, bool replace)
{
    auto key = std::make_pair(factory.GetType(), ToLower(factory.GetName()));
    auto it = m_factories.find(key);
    if (it != m_factories.end() && !replace)
        return false;
    m_factories[key].reset(factory.Clone());
    return true;
}

bool SObjectFactoryMgr::UnregisterFactory(const std::wstring& name, int type)
{
    return m_factories.erase(std::make_pair(type, ToLower(name))) > 0;
}

bool SObjectFactoryMgr::HasFactory(const std::wstring& name, int type) const
{
    return m_factories.count(std::make_pair(type, ToLower(name))) > 0;
}

SObject* SObjectFactoryMgr::CreateObject(const std::wstring& name, int type) const
{
    auto it = m_factories.find(std::make_pair(type, ToLower(name)));
    return it == m_factories.end() ? nullptr : it->second->NewObject();
}

}  // namespace SOUI
