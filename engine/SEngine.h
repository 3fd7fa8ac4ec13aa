#pragma once
// Everything a window of the program needs from the engine, and the object that starts it.
#include "engine/core/CTime.h"
#include "engine/core/EventArgs.h"
#include "engine/core/IRender.h"
#include "engine/core/IResProvider.h"
#include "engine/core/SApplication.h"
#include "engine/core/SDebug.h"
#include "engine/core/SEventSet.h"
#include "engine/core/SObjectFactoryMgr.h"
#include "engine/core/SResProviderMem.h"
#include "engine/core/SResProviderMgr.h"
#include "engine/skins/SSkinImgFrame.h"
#include "engine/skins/SSkinObjBase.h"
#include "engine/skins/SSkinPoolMgr.h"
#include "engine/host/CSimpleWnd.h"
#include "engine/host/SHostDialog.h"
#include "engine/host/SHostWnd.h"
#include "engine/host/SMenu.h"
#include "engine/host/SMessageBox.h"
#include "engine/host/SNotifyCenter.h"
#include "engine/widgets/SButton.h"
#include "engine/widgets/SCaption.h"
#include "engine/widgets/SCheckBox.h"
#include "engine/widgets/SEdit.h"
#include "engine/widgets/SImageButton.h"
#include "engine/widgets/SImageWnd.h"
#include "engine/widgets/SStatic.h"
#include "engine/widgets/STabCtrl.h"
#include "engine/widgets/SWindow.h"
#include "engine/lists/SAdapterBase.h"
#include "engine/lists/SListView.h"

namespace SOUI {

// The engine's own widget and skin classes, the list view among them, under their element names.
void RegisterEngineClasses(SObjectFactoryMgr& factories);

// The engine as a process runs it: the object factories with the engine's classes, the resources,
// the skins, the host window class and the message loop. Make one on the UI thread before any
// window and keep it until the last is gone; widgets and windows reach its parts through their
// getSingletonPtr, which are set for exactly that time.
class SEngine {
public:
    // render may be nullptr (nothing is drawn then); hInst nullptr means the exe's.
    SEngine(IRenderFactory* render, HINSTANCE hInst, const wchar_t* hostClassName = L"SOUIHOST");
    ~SEngine();
    SEngine(const SEngine&) = delete;
    SEngine& operator=(const SEngine&) = delete;

    SObjectFactoryMgr& Factories() { return m_factories; }
    SResProviderMgr& Resources() { return m_resources; }
    SSkinPoolMgr& Skins() { return m_skins; }
    SApplication& App() { return m_app; }

private:
    // Made in this order and released in the reverse: skins hold images of the resources.
    SObjectFactoryMgr m_factories;
    SResProviderMgr m_resources;
    SSkinPoolMgr m_skins;
    SApplication m_app;
};

}  // namespace SOUI
