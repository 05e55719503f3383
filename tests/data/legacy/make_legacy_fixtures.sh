#!/usr/bin/env bash
# Symbols as the desktop program made them before its encoder kept byte pairs out of kanji mode:
# GBK and UTF-8 text with its terminating zero byte, any byte pair in the Shift JIS ranges packed
# as a 13-bit kanji character. Made once, at commit 0ede387, with that commit's
#   merovask-cli encode --nul -e ENCODING -l LEVEL -t matrix TEXT
# and kept here because today's encoder no longer makes such symbols.
# Each block of legacy_kanji.txt: "# ENCODING LEVEL TEXT", then the matrix rows (1 = dark).
set -euo pipefail
cli=${1:?path to the merovask-cli of commit 0ede387}
out=$(dirname "$0")/legacy_kanji.txt
: > "$out"
while IFS='|' read -r encoding level text; do
  [ -n "$encoding" ] || continue
  echo "# $encoding $level $text" >> "$out"
  "$cli" encode --nul -e "$encoding" -l "$level" -t matrix "$text" >> "$out"
done <<'LIST'
utf-8|M|同名后向南同名后向南勝同名
utf-8|L|二维码测试：你好，世界！
utf-8|Q|摄影爱好者聚会地点在颐和园东门
utf-8|H|网址 https://例子.中国/路径?查询=值
gb2312|M|洹洧洌浃浈洇洄洙洎洫浍洮洵洚浏浒浔洳涑浯
gb2312|L|夽夾夿奀奃奅奆奊奌奍奐奒奓奙奛奜 和 洹洧洌浃浈洇洄洙
gb2312|Q|這個軟體會將您輸入的網址轉換為二維條碼圖檔，歡迎下載體驗與轉發給朋友們
gb2312|H|繁體中文測試：臺灣、香港、澳門
LIST
