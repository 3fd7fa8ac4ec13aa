// The list view with 100, 1,000 and 10,000 rows: a data-changed notice plus the paint that
// follows, and one wheel step plus its paint, each beside a bare repaint of the same list
// (invalidate and paint, no change) measured in the same run. Flat figures across the row
// counts show that only the visible rows are built and painted.
// Usage: lists_bench [rounds]. Run pinned (taskset -c 0, wineserver included) for steady figures.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include "engine/SEngine.h"
#include "engine/lists/SListView.h"
#include "pluginloader.h"

using namespace SOUI;

namespace {
const char kUidef[] = R"(<UIDEF><font face="微软雅黑" size="16"/><skin>
  <button name="skin.btn.common" colorBorder="#128BED" colorUp="#FFFFFF" colorHover="#E8F2FD"
          colorDown="#D0E4FA" colorDisable="#F1F1F1" colorTextHover="#4F94F1"/>
</skin></UIDEF>)";

// The history page's list: 47 px rows with a name, a time and an import button.
const char kLayout[] = R"xml(<SOUI width="450" height="570"><root colorBkgnd="#FFFFFF">
  <listview name="lv_dropdown" pos="0,0,-0,-0">
    <template itemHeight="47" colorNormal="#FFFFFF" colorSelected="#e4f0fc" colorHover="#e4f0fc">
      <window name="line_wrapper" pos="0,0,-0,-0">
        <text name="txt_key" pos="20,0,@200,-1" valign="center"/>
        <text name="txt_time" pos="-185,0,@90,-1" colorText="#8A94A6" valign="center"/>
        <button name="btn_import" pos="-84,10,@64,@28">导入</button>
        <window pos="20,-1,-20,-0" colorBkgnd="#F0F2F5"/>
      </window>
    </template>
  </listview>
</root></SOUI>)xml";

class BenchAdapter : public SAdapterBase {
public:
    int count = 0;
    int generation = 0;
    int getCount() override { return count; }
    void getView(int position, SWindow* item, pugi::xml_node tpl) override
    {
        if (item->GetChildren().empty())
            item->InitFromXml(tpl);
        if (SWindow* t = item->FindChildByName(L"txt_key"))
            t->SetWindowTextW(L"北京某某科技有限公司 第" + std::to_wstring(position + 1) + L"家");
        if (SWindow* t = item->FindChildByName(L"txt_time"))
            t->SetWindowTextW(L"10:" + std::to_wstring(10 + (position + generation) % 50) + L":00");
    }
};

double MedianMs(int rounds, const std::function<void()>& body)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    std::vector<double> t;
    body();  // warm-up
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        body();
        QueryPerformanceCounter(&b);
        t.push_back(double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart));
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}
}  // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::max(5, atoi(argv[1])) : 50;
    CPluginLoader loader;
    SAutoRefPtr<IRenderFactory> render;
    SAutoRefPtr<IImgDecoderFactory> decoder;
    if (!loader.CreateRenderFactory(render.Out()) || !loader.CreateImgDecoderFactory(decoder.Out())) {
        fprintf(stderr, "plug-ins did not load\n");
        return 1;
    }
    render->SetImgDecoderFactory(decoder);
    SEngine engine(render, GetModuleHandleW(nullptr));
    auto* mem = new SResProviderMem;
    mem->AddResource(L"uidef", L"xml_init", kUidef);
    engine.Resources().AddResProvider(mem, L"uidef:xml_init");
    mem->Release();

    SHostWnd host;
    host.SetLayoutXml(kLayout);
    if (!host.Create(nullptr, 0, 0, 40, 40))
        return 1;
    host.ShowWindow(SW_SHOWNOACTIVATE);
    host.UpdateNow();
    auto* lv = host.FindChildByName2<SListView>(L"lv_dropdown");
    SAutoRefPtr<BenchAdapter> adapter;
    adapter.Attach(new BenchAdapter);
    lv->SetAdapter(adapter);

    fprintf(stderr, "list view, 450 x 570, rows of 47 px; median of %d rounds, ms\n", rounds);
    fprintf(stderr, "%8s %8s %10s %10s %8s %10s %8s\n", "rows", "panels", "repaint", "changed", "ratio", "scroll",
            "ratio");
    for (int rows : {100, 1000, 10000}) {
        adapter->count = rows;
        adapter->notifyDataSetChanged();
        host.UpdateNow();
        double bare = MedianMs(rounds, [&] {
            lv->Invalidate();
            host.UpdateNow();
        });
        double changed = MedianMs(rounds, [&] {
            ++adapter->generation;
            adapter->notifyDataSetChanged();
            host.UpdateNow();
        });
        int step = 0;
        double scroll = MedianMs(rounds, [&] {
            // Down and back up, so every step moves the same distance.
            lv->OnMouseWheel((step++ % 2) ? WHEEL_DELTA : -WHEEL_DELTA);
            host.UpdateNow();
        });
        fprintf(stderr, "%8d %8d %10.3f %10.3f %8.2f %10.3f %8.2f\n", rows, lv->GetPanelCount(), bare, changed,
                changed / bare, scroll, scroll / bare);
    }
    lv->SetAdapter(nullptr);
    return 0;
}
