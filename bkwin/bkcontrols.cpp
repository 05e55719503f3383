#include "bkwin/bkcontrols.h"

#include "bkwin/bkbutton.h"
#include "bkwin/bkcheckbox.h"
#include "bkwin/bkcombo.h"
#include "bkwin/bkdrawfileicon.h"
#include "bkwin/bkedit.h"
#include "bkwin/bkiconwnd.h"
#include "bkwin/bkimagebtnwnd.h"
#include "bkwin/bkimagelisthwnd.h"
#include "bkwin/bkimagewnd.h"
#include "bkwin/bkline.h"
#include "bkwin/bklink.h"
#include "bkwin/bkmemoryimage.h"
#include "bkwin/bkprogress.h"
#include "bkwin/bkradiobox.h"
#include "bkwin/bkrealwnd.h"
#include "bkwin/bkrichtext.h"
#include "bkwin/bkstatic.h"
#include "bkwin/bktabctrl.h"
#include "bkwin/bkwndfactory.h"

void BkControls::RegisterAll() {
    BkWndFactory::Register<CBkStatic>("text");
    BkWndFactory::Register<CBkLink>("link");
    BkWndFactory::Register<CBkButton>("button");
    BkWndFactory::Register<CBkImageWnd>("img");
    BkWndFactory::Register<CBkImageBtnWnd>("imgbtn");
    BkWndFactory::Register<CBkProgress>("progress");
    BkWndFactory::Register<CBkRealWnd>("realwnd");
    BkWndFactory::Register<CBkLine>("hr");
    BkWndFactory::Register<CBkCheckBox>("check");
    BkWndFactory::Register<CBkRadioBox>("radio");
    BkWndFactory::Register<CBkIconWnd>("icon");
    BkWndFactory::Register<CBkTabCtrl>("tabctrl");
    BkWndFactory::Register<CBkImageListHWnd>("imglisth");
    BkWndFactory::Register<CBkMemoryImage>("memimage");
    BkWndFactory::Register<CBkDrawFileIcon>("iconfrommodule");
    BkWndFactory::Register<CBkRichText>("richtext");
    BkWndFactory::Register<CBkEdit>("edit");
    BkWndFactory::Register<CbkCombo>("combo");
}
