#include "engine/SEngine.h"
#include "engine/skins/SSkinButton.h"
#include "engine/skins/SSkinImgList.h"
#include "engine/skins/SSkinScrollbar.h"
#include "engine/widgets/STabPage.h"

namespace SOUI {

void RegisterEngineClasses(SObjectFactoryMgr& factories)
{
    factories.Register<SWindow>();
    factories.Register<SCaption>();
    factories.Register<SStatic>();
    factories.Register<SImageWnd>();
    factories.Register<SButton>();
    factories.Register<SImageButton>();
    factories.Register<SEdit>();
    factories.Register<STabCtrl>();
    factories.Register<STabPage>();
    factories.Register<SCheckBox>();
    factories.Register<SListView>();

    factories.Register<SSkinImgList>();
    factories.Register<SSkinImgFrame>();
    factories.Register<SSkinButton>();
    factories.Register<SSkinScrollbar>();
}

}  // namespace SOUI
