#pragma once
#include <memory>
#include <string>
#include <vector>
#include "engine/core/IRender.h"
#include "engine/core/SFontPool.h"
#include "engine/core/SObjectFactoryMgr.h"
#include "engine/core/SResProviderMgr.h"
#include "engine/skins/SSkinPoolMgr.h"

namespace SOUI {

struct SNamedID {
    const wchar_t* name;
    int id;
};

// Sees every message of the loop that was running when it was added (not of modal loops
// nested in it) before it is dispatched; TRUE swallows it.
struct IMessageFilter {
    virtual BOOL PreTranslateMessage(MSG* msg) = 0;
    // A modal loop is starting in this thread, above the filter's own loop.
    virtual void OnModalLoopStart() {}

protected:
    ~IMessageFilter() = default;
};

// Registers the engine's own widget and skin classes with an application.
class SObjectDefaultRegister {
public:
    void RegisterWindows(SObjectFactoryMgr& mgr) const;
    void RegisterSkins(SObjectFactoryMgr& mgr) const;
};

// The engine's process object: factories, resources, named ids, fonts, and the message loop.
class SApplication : public SObjectFactoryMgr, public SResProviderMgr {
public:
    SApplication(IRenderFactory* render, HINSTANCE hInst, const wchar_t* hostClassName = L"SOUIHOST",
                 const SObjectDefaultRegister& reg = SObjectDefaultRegister());
    ~SApplication() override;
    SApplication(const SApplication&) = delete;
    SApplication& operator=(const SApplication&) = delete;
    static SApplication* getSingletonPtr();
    static SApplication& getSingleton() { return *getSingletonPtr(); }

    HINSTANCE GetInstance() const { return m_hInst; }
    IRenderFactory* GetRenderFactory() const { return m_render; }
    const std::wstring& GetHostClassName() const { return m_hostClass; }
    SFontPool& GetFontPool() { return m_fonts; }
    SSkinPoolMgr& GetSkinPool() { return m_skins; }
    // A small target for measuring text outside painting.
    IRenderTarget* GetMeasureTarget() { return m_measure; }

    // The table need not be sorted when sorted is FALSE; it is copied either way.
    void InitXmlNamedID(const SNamedID* table, int count, BOOL sorted);
    // 0 when the name is not in the table.
    int Name2ID(const std::wstring& name) const;
    // Empty when the number is not in the table.
    std::wstring ID2Name(int id) const;

    // The engine keeps no resources of its own; accepted for the start-up order.
    BOOL LoadSystemNamedResource(IResProvider* provider);
    // "TYPE:NAME" into doc; false (and a diagnostic line) when missing or not XML.
    BOOL LoadXmlDocument(pugi::xml_document& doc, const std::wstring& resId) { return LoadXml(doc, resId); }

    // Pumps messages until WM_QUIT (posted when an application window is destroyed); returns its code.
    int Run(HWND hMainWnd);
    // Pumps messages as the loop running now does (its filters see them) until done
    // becomes true or WM_QUIT arrives (which is posted again).
    void RunLoop(const bool& done);
    // The same for a modal window: the filters of the loops below are told first and do
    // not see its messages.
    void RunModalLoop(const bool& done);
    // 0 in Run, one more in each nested RunModalLoop.
    int GetModalDepth() const { return m_modalDepth; }
    void AddMessageFilter(IMessageFilter* f);
    void RemoveMessageFilter(IMessageFilter* f);

private:
    bool PumpOne(MSG& msg); // false on WM_QUIT
    HINSTANCE m_hInst;
    SAutoRefPtr<IRenderFactory> m_render;
    std::wstring m_hostClass;
    SSkinPoolMgr m_skins;
    SFontPool m_fonts;
    SAutoRefPtr<IRenderTarget> m_measure;
    std::vector<std::pair<std::wstring, int>> m_namedIds; // sorted by name, code unit order
    struct Filter {
        IMessageFilter* filter;
        int depth; // the loop it serves
    };
    std::vector<Filter> m_filters;
    int m_modalDepth = 0;
};

} // namespace SOUI
