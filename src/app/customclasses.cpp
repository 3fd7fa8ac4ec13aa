#include "app/customclasses.h"

#include "engine/core/SObjectFactoryMgr.h"
#include "extend.ctrls/sbuttonex.h"
#include "extend.ctrls/scolormask.h"
#include "extend.ctrls/ssearchdropdownlist.h"

namespace {

// Only a class of the expected kind is registered; an existing one is kept.
template <class T> void RegisterAs(SOUI::SObjectFactoryMgr& factories, int type)
{
    SOUI::TplSObjectFactory<T> factory;
    if (factory.GetType() == type)
        factories.RegisterFactory(factory, false);
}

}  // namespace

void RegisterCustomClasses(SOUI::SObjectFactoryMgr& factories)
{
    RegisterAs<SSearchDropdownList>(factories, SOUI::Window);
    RegisterAs<SButtonEx>(factories, SOUI::Window);
    RegisterAs<SColorMask>(factories, SOUI::Skin);
}
