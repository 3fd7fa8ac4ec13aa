#pragma once
#include <map>
#include <memory>
#include <string>
#include "engine/core/SObject.h"

namespace SOUI {

class SObjectFactory {
public:
    virtual ~SObjectFactory() = default;
    virtual SObject* NewObject() const = 0;
    virtual const wchar_t* GetName() const = 0;
    virtual int GetType() const = 0;
    virtual SObjectFactory* Clone() const = 0;
};

// Makes T under T's class name; T reports its type (window or skin) by GetClassType.
template <class T> class TplSObjectFactory : public SObjectFactory {
public:
    SObject* NewObject() const override { return new T; }
    const wchar_t* GetName() const override { return T::GetClassName(); }
    int GetType() const override { return T::GetClassType(); }
    SObjectFactory* Clone() const override { return new TplSObjectFactory<T>; }
};

// Element name (per object type, without regard to case) to class. The last one made is the
// one layouts and skin tables build from.
class SObjectFactoryMgr {
public:
    SObjectFactoryMgr();
    ~SObjectFactoryMgr();
    SObjectFactoryMgr(const SObjectFactoryMgr&) = delete;
    SObjectFactoryMgr& operator=(const SObjectFactoryMgr&) = delete;
    static SObjectFactoryMgr* getSingletonPtr();
    static SObjectFactoryMgr& getSingleton() { return *getSingletonPtr(); }

    // False when a class of that type is already registered under the name and replace is false.
    bool RegisterFactory(const SObjectFactory& factory, bool replace = false);
    bool UnregisterFactory(const std::wstring& name, int type);
    bool HasFactory(const std::wstring& name, int type) const;
    // nullptr when no class is registered under the name.
    SObject* CreateObject(const std::wstring& name, int type) const;

    template <class T> bool Register(bool replace = false) { return RegisterFactory(TplSObjectFactory<T>(), replace); }

private:
    std::map<std::pair<int, std::wstring>, std::unique_ptr<SObjectFactory>> m_factories;
};

}  // namespace SOUI
