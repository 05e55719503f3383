#!/usr/bin/python3
"""Writes LANGUAGE<TAB>TEXT lines for bench_charset --texts from the translation catalogues
installed on this machine (/usr/share/locale/*/LC_MESSAGES/*.mo): Chinese (zh), Japanese (ja) and
German, French, Spanish, Italian, Portuguese, Swedish and Dutch (latin). Only texts with a
character beyond ASCII, at most 120 characters on one line and without printf directives.
With --half-width: the katakana words of the Japanese catalogues alone, in half-width forms
(ﾃﾞｻﾞｲﾝ), the hardest case: a few bytes of A1..DF read as GBK pairs just as well.

    /usr/bin/python3 bench/charset_catalogues.py > /tmp/catalogues.txt
    build/release/bench/bench_charset --texts /tmp/catalogues.txt
"""
import gettext
import glob
import re
import sys
import unicodedata

LANGUAGES = [("zh", "zh_CN"), ("ja", "ja")] + [("latin", code) for code in ("de", "fr", "es", "it", "pt", "sv", "nl")]


def translations(code):
    texts = set()
    for path in glob.glob("/usr/share/locale/%s/LC_MESSAGES/*.mo" % code):
        try:
            with open(path, "rb") as f:
                catalogue = gettext.GNUTranslations(f)
        except Exception:  # a catalogue Python cannot parse is skipped
            continue
        for text in catalogue._catalog.values():
            text = text.strip()
            if 2 <= len(text) <= 120 and "\n" not in text and "\t" not in text and "%" not in text and "$" not in text:
                texts.add(text)
    return sorted(text for text in texts if any(ord(c) > 0x7F for c in text))


def half_width_forms():
    """Full-width katakana (voiced ones too) to their half-width spellings."""
    forms = {"ー": "ｰ"}
    for code in range(0xFF66, 0xFF9E):
        kana = chr(code)
        forms[unicodedata.normalize("NFKC", kana)] = kana
        for mark in "ﾞﾟ":
            full = unicodedata.normalize("NFKC", kana + mark)
            if len(full) == 1:
                forms[full] = kana + mark
    return forms


if "--half-width" in sys.argv:
    forms = half_width_forms()
    words = {word for text in translations("ja") for word in re.findall("[ァ-ヴー]{2,}", text)}
    for word in sorted(words):
        if all(c in forms for c in word):
            print("ja\t" + "".join(forms[c] for c in word))
else:
    for language, code in LANGUAGES:
        for text in translations(code):
            print(language + "\t" + text)
