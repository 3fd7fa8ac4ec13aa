#include "app/customclasses.h"

#include "engine/SApplication.h"
#include "engine/SObjectFactoryMgr.h"

// The classes land one by one; each is registered from the moment its header exists.
#if __has_include("extend.ctrls/ssearchdropdownlist.h")
#include "extend.ctrls/ssearchdropdownlist.h"
#define MORAVEL_HAS_SEARCH_DROPDOWN 1
#endif
#if __has_include("extend.ctrls/sbuttonex.h")
#include "extend.ctrls/sbuttonex.h"
#define MORAVEL_HAS_BUTTONEX 1
#endif
#if __has_include("extend.ctrls/scolormask.h")
#include "extend.ctrls/scolormask.h"
#define MORAVEL_HAS_COLORMASK 1
#endif

namespace {

// Only a class of the expected kind is registered; an existing one is kept.
template <class T>
void RegisterAs(SOUI::SObjectFactoryMgr& factories, int type)
{
    SOUI::TplSObjectFactory<T> factory;
    if (factory.GetType() == type)
        factories.RegisterFactory(factory, false);
}

}  // namespace

void RegisterCustomClasses(SOUI::SApplication& app)
{
    [[maybe_unused]] SOUI::SObjectFactoryMgr& factories = app;
#ifdef MORAVEL_HAS_SEARCH_DROPDOWN
    RegisterAs<SSearchDropdownList>(factories, SOUI::Window);
#endif
#ifdef MORAVEL_HAS_BUTTONEX
    RegisterAs<SButtonEx>(factories, SOUI::Window);
#endif
#ifdef MORAVEL_HAS_COLORMASK
    RegisterAs<SColorMask>(factories, SOUI::Skin);
#endif
}
