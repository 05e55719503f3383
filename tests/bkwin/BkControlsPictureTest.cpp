// A page of controls painted the way the host paints it, written to a PNG in the build tree
// for looking at, with the pixels the controls fix checked.
#include "BkControlFixture.h"
#include "bkwin/bkcheckbox.h"
#include "bkwin/bkprogress.h"
#include "bkwin/bktabctrl.h"
#include "platform/imaging.h"

namespace {

class BkControlsPictureTest : public BkControlTest {};

TEST_F(BkControlsPictureTest, APageOfControls) {
    Root("<tabctrl id=10 pos=\"0,0,-0,-0\" tabwidth=71 tabheight=71 tabskin=tabmain iconskin=logomodule "
         "tabspacing=5 tabpos=1 framepos=7 icon-x=10 icon-y=1 text-x=0 text-y=25 crtext=000000>"
         "<tab title=\"制作\" class=tabpage>"
         "<text pos=\"10,10\" class=subjecttext>控件 Controls</text>"
         "<check id=1 pos=\"10,40\">下次不再提示</check>"
         "<radio id=2 group=g pos=\"10,65\">GB2312</radio><radio id=3 group=g pos=\"110,65\">UTF-8</radio>"
         "<progress id=4 pos=\"10,95,260,115\" min=0 max=200 value=50 showpercent=1 crtext=000000/>"
         "<hr pos=\"10,125,-10,125\" crbg=A3BAD2/>"
         "<button id=5 class=normalbtn pos=\"10,135,90,160\">确定</button>"
         "<richtext pos=\"10,170,-10,-10\" class=richtext linkclass=linktext>普通 <b><c color=800000>粗体暗红</c></b>"
         " 然后 <a id=9>链接 link</a> 以及一段很长很长的文字，它在最后一个放得下的字符处换行。</richtext>"
         "</tab><tab title=\"解码\"/><tab title=\"关于\"/></tabctrl>",
         480, 360);
    Item<CBkCheckBox>(1).ModifyState(BkWndState_Check, 0);
    BkTestCanvas canvas(480, 360, RGB(0xFB, 0xFC, 0xFD));
    Paint(canvas);

    auto& tabs = Item<CBkTabCtrl>(10);
    EXPECT_EQ(tabs.GetItemRect(1).left, 77);
    const RECT frame = tabs.GetFrameRect();
    EXPECT_EQ(frame.top, 78);
    // The bar's colour a little inside its left end, the page background right of it.
    const RECT bar = Item<CBkProgress>(4).GetRect();
    EXPECT_EQ(canvas.at(bar.left + 5, bar.top + 10), RGB(0x42, 0x61, 0x90));
    // The line.
    EXPECT_EQ(canvas.at(200, frame.top + 2 + 125), RGB(0xA3, 0xBA, 0xD2));

    RgbImage picture;
    ASSERT_TRUE(BitmapToRgbImage(GetCurrentBitmap(canvas.dc()), picture));
    std::vector<uint8_t> png;
    ASSERT_EQ(platform::encodeImage(picture, platform::ImageFormat::Png, png), "");
    ASSERT_EQ(platform::writeFileAtomically(MEROVASK_CONTROLS_PREVIEW, png), "");
}

}  // namespace
