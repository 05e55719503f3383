// Repainting a skinned window: a full render of an 800 x 600 layer (header, footer, a tab
// control whose page holds 30 elements and a rich text) into the host's back buffer, and the
// render after a hover change, which repaints only the two elements involved. As a floor in
// the same run: one plain copy of an 800 x 600 bitmap, what the window gets per paint anyway.
//
//   bench/bench_repaint --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <string>

#include "bkres/bkfontpool.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bkcontrols.h"
#include "bkwin/bkdialogimpl.h"
#include "bkwin/bkskinpool.h"
#include "bkwin/bkstylepool.h"
#include "bkwin/bkwinmanager.h"

namespace {

std::string Layer() {
    std::string page;
    for (int i = 0; i < 10; ++i) {
        const int y = 10 + i * 40;
        page += "<text class=infostyle font=0504 pos=\"10," + std::to_string(y) + ",200," + std::to_string(y + 20) +
                "\">标签文字 " + std::to_string(i) + "</text>";
        page += "<button id=" + std::to_string(3000 + i) + " class=normalbtn pos=\"210," + std::to_string(y) +
                ",300," + std::to_string(y + 30) + "\">按钮</button>";
        page += "<check id=" + std::to_string(3100 + i) + " pos=\"320," + std::to_string(y + 5) + "\">选项 " +
                std::to_string(i) + "</check>";
    }
    return R"(<layer title="" width=800 height=600 appwin=1>
  <header class=mainhead width=full height=23><dlgfile pos="0,0,-0,-0" src=501/></header>
  <footer class=mainfoot width=full height=23><dlgfile pos="0,0,-0,-0" src=502/></footer>
  <body class=mainbody width=full height=full>
    <tabctrl id=10101 pos="0,4,-0,-1" crtext=000000 cursel=0 tabwidth=71 tabheight=71 tabskin=tabmain
             iconskin=logomodule tabspacing=5 tabpos=1 framepos=7 icon-x=10 icon-y=1 text-x=0 text-y=25>
      <tab title="制作" width=full height=full crtext=000000>
        <dlg pos="0,0,-0,-0" crbg=EEEEEE>)" +
           page + R"(
          <richtext class=richtext pos="420,10,-10,-10" defaultfont=0000>这是一段<b>加粗</b>的说明文字，
            其中有<c color=800000>红色</c>的部分和一个<a id=9001>链接</a>，长到需要在区域的右边缘换行，
            以便测量排版的代价。This paragraph wraps at the right edge of its area.</richtext>
        </dlg>
      </tab>
      <tab title="解码" width=full height=full crtext=000000><dlg pos="0,0,-0,-0"/></tab>
      <tab title="关于" width=full height=full crtext=000000><dlg pos="0,0,-0,-0"/></tab>
    </tabctrl>
    <img skin=logo pos="-250,5"/>
  </body>
</layer>)";
}

class RepaintFixture {
public:
    RepaintFixture() {
        BkControls::RegisterAll();
        BkString::Load(102);
        BkFontPool::SetDefaultFont(*BkString::Get(0), -12);
        BkSkinPool::Load(100);
        BkStylePool::Load(101);
        m_dialog.SetXml(Layer());
        m_dialog.Create(nullptr);
    }
    CBkDialogView& View() { return m_dialog.GetView(); }
    CBkDialogImpl& Dialog() { return m_dialog; }

private:
    BkWinManager m_manager;
    CBkDialogImpl m_dialog;
};

RepaintFixture& Fixture() {
    // The windows need the platform's application, made once before the first window.
    static int argc = 1;
    static char name[] = "bench_repaint";
    static char* argv[] = {name, nullptr};
    static platform::Application app(argc, argv);
    static RepaintFixture fixture;
    return fixture;
}

void BM_FullRepaint(benchmark::State& state) {
    CBkDialogView& view = Fixture().View();
    const RECT all{0, 0, 800, 600};
    for (auto _ : state) {
        view.InvalidateRect(all);
        view.RenderBuffer();
        benchmark::DoNotOptimize(view.GetBackBuffer());
    }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

void BM_HoverRepaint(benchmark::State& state) {
    CBkDialogView& view = Fixture().View();
    CBkWindow* a = Fixture().Dialog().GetItem(3000);
    CBkWindow* b = Fixture().Dialog().GetItem(3001);
    bool onA = true;
    for (auto _ : state) {
        // What the host does when the mouse moves from one button to the next.
        view.ModifyItemState(onA ? a : b, 0, BkWndState_Hover);
        view.ModifyItemState(onA ? b : a, BkWndState_Hover, 0);
        onA = !onA;
        view.RenderBuffer();
    }
}
BENCHMARK(BM_HoverRepaint)->Unit(benchmark::kMillisecond);

// The floor: copying the whole back buffer once, as every paint of the window does.
void BM_PlainCopyFloor(benchmark::State& state) {
    CBkDialogView& view = Fixture().View();
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 800, 600);
    HBITMAP old = SelectObject(target, bitmap);
    for (auto _ : state) {
        BitBlt(target, 0, 0, 800, 600, view.GetBufferDC(), 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    SelectObject(target, old);
    DeleteObject(bitmap);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
}
BENCHMARK(BM_PlainCopyFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
