// The texts the pages write from code (the skin's own texts stay in its XML), kept together;
// they are shown through platform::Tr, with %1 for what completes them.
#pragma once

#include <string_view>

namespace PageTexts {

// Read page: why a read gave nothing.
inline constexpr std::u16string_view kNoSymbol = u"未找到二维码";
inline constexpr std::u16string_view kSymbolDamaged = u"找到二维码，但已损坏，无法纠正";
inline constexpr std::u16string_view kSymbolUnsupported = u"找到二维码，但其数据格式本软件不支持";
inline constexpr std::u16string_view kCannotReadPicture = u"无法读取图片：%1";  // the reason
// Read page: several symbols in one picture.
inline constexpr std::u16string_view kSeveralSymbols = u"找到 %1 个二维码，单击方框查看其内容";
inline constexpr std::u16string_view kReading = u"正在读取…";
// Read page: the kind of a Micro QR or rMQR symbol shown (its version reads M1..M4 or R7x43..R17x139).
inline constexpr std::u16string_view kMicroQr = u"这是微型二维码（Micro QR）";
inline constexpr std::u16string_view kRmqr = u"这是矩形微型二维码（rMQR）";
// Read page: the camera button while the camera is off and while it runs.
inline constexpr std::u16string_view kCamera = u"摄像头";
inline constexpr std::u16string_view kCameraStop = u"停止";
// Both pages: brief confirmations.
inline constexpr std::u16string_view kCopied = u"已复制";
inline constexpr std::u16string_view kSaved = u"已保存：%1";  // the file name

}  // namespace PageTexts
