// Wi-Fi network texts: the values of S and P escaped as readers of such symbols expect.
#include <gtest/gtest.h>

#include "app/ContentTemplates.h"

namespace {

TEST(ContentTemplates, WifiEscapesOnlyTheNameAndPasswordValuesAndOnlyOnce) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"WIFI:T:WPA;S:;P:;;", u"WIFI:T:WPA;S:;P:;;"},
        {u"WIFI:T:WPA;S:My \"Cafe\", 2:4;P:a\\b;c;;", u"WIFI:T:WPA;S:My \\\"Cafe\\\"\\, 2\\:4;P:a\\\\b\\;c;;"},
        {u"WIFI:T:WPA;S:My \\\"Cafe\\\"\\, 2\\:4;P:a\\\\b\\;c;;", u"WIFI:T:WPA;S:My \\\"Cafe\\\"\\, 2\\:4;P:a\\\\b\\;c;;"},
        {u"WIFI:T:WEP;S:x;P:y;H:true;;", u"WIFI:T:WEP;S:x;P:y;H:true;;"},
        {u"WIFI:S:net;P:ends;;;", u"WIFI:S:net;P:ends\\;;;"},
        {u"WIFI:S:a;b;;\r\n", u"WIFI:S:a\\;b;;\r\n"},
        {u"WIFI:S:net;P:pa;ss", u"WIFI:S:net;P:pa\\;ss"},
        {u"wifi:S:a;b;;", u"wifi:S:a;b;;"},
    };
    for (const auto& [typed, encoded] : cases) {
        EXPECT_EQ(ContentTemplates::EscapeWifiValues(typed), encoded) << std::string(typed.begin(), typed.end());
    }
}

}  // namespace
