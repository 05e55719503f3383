// The make page's content templates, by tab index of the template tab control: what a tab's
// field is filled with when the tab is selected, and what its text encodes.
//
//   tab 0 网址  http://         tab 1 名片  a vCard 3.0, one field a line
//   tab 2 电话  tel:            tab 3 短信  smsto:          tab 4 彩信  mmsto:
//   tab 5 电邮  mailto:         tab 6 WiFi  WIFI:T:WPA;S:;P:;;
//   tab 7 地图  geo:            tab 8 文本  none
#pragma once

#include <string>
#include <string_view>

namespace ContentTemplates {

// The text tab `tab`'s field shows once the tab is selected: `field` itself when it starts with
// the template's first token (compared case-sensitively: "http" keeps https://, "BEGIN:VCARD"
// keeps a card), else the template. Tabs without a template keep their text.
std::u16string Prefill(int tab, std::u16string_view field);

// What the text of tab `tab`'s field encodes: the Wi-Fi tab's network text with its values
// escaped (EscapeWifiValues), any other tab's text as it is.
std::u16string Content(int tab, std::u16string_view field);

// Wi-Fi network text ("WIFI:T:WPA;S:name;P:password;;") with \ ; , : and " escaped by a
// backslash inside the values of S and P, as readers of such symbols expect; a backslash that
// already escapes one of them stays as it is, so escaping twice changes nothing. A value runs to
// the next field (";" and a known key such as "P:") or to the closing ";;". Text that does not
// begin with "WIFI:" is returned unchanged; line ends after the text are kept outside it.
std::u16string EscapeWifiValues(std::u16string_view text);

}  // namespace ContentTemplates
