#include "bkwin/bktab.h"

#include "bkres/bkvaluesyntax.h"
#include "platform/text.h"

bool CBkTab::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkDialog::SetAttribute(name, value, loading)) return true;
    if (name == "title") {
        m_strTitle = platform::utf8ToUtf16(value);
    } else if (name == "hide") {
        m_bHide = BkParseInt(value) != 0;
    } else {
        return false;
    }
    return true;
}
