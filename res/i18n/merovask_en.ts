<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Merovask</name>
    <message>
        <source>微软雅黑</source>
        <translation>Microsoft YaHei</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Abort</translation>
    </message>
    <message>
        <source>重试</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>忽略</source>
        <translation>Ignore</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>异常</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Succeeded</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Log In</translation>
    </message>
    <message>
        <source>注销</source>
        <translation>Log Out</translation>
    </message>
    <message>
        <source>MerovaskV1.0 已经运行！</source>
        <translation>MerovaskV1.0 is already running.</translation>
    </message>
    <message>
        <source>制作</source>
        <translation>Make</translation>
    </message>
    <message>
        <source>解码</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>下次不再提示</source>
        <translation>Don't show this again</translation>
    </message>
    <message>
        <source>更多操作</source>
        <translation>More</translation>
    </message>
    <message>
        <source>最小化到托盘</source>
        <translation>Minimize to tray</translation>
    </message>
    <message>
        <source>关闭界面，最小化到托盘</source>
        <translation>Close the window, minimize to tray</translation>
    </message>
    <message>
        <source>关于%str1%</source>
        <translation>About %str1%</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>版本：</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>主页：</source>
        <translation>Website:</translation>
    </message>
    <message>
        <source>ISO/IEC 18004 二维码标准</source>
        <translation>The ISO/IEC 18004 standard</translation>
    </message>
    <message>
        <source>出品：</source>
        <translation>Made by:</translation>
    </message>
    <message>
        <source>用户名：</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>记住密码</source>
        <translation>Remember password</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>%str1% 设置</source>
        <translation>%str1% Settings</translation>
    </message>
    <message>
        <source>常规</source>
        <translation>General</translation>
    </message>
    <message>
        <source>启动时最小化到托盘</source>
        <translation>Minimize to tray on start</translation>
    </message>
    <message>
        <source>关闭界面时最小化到托盘</source>
        <translation>Minimize to tray on close</translation>
    </message>
    <message>
        <source>默认编码方式</source>
        <translation>Default charset</translation>
    </message>
    <message>
        <source>网址</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>名片</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>电话</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>短信</source>
        <translation>SMS</translation>
    </message>
    <message>
        <source>彩信</source>
        <translation>MMS</translation>
    </message>
    <message>
        <source>电邮</source>
        <translation>Email</translation>
    </message>
    <message>
        <source>地图</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>文本</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>请输入相关网址（用http://或https://开头）:</source>
        <translation>Web address (http:// or https://):</translation>
    </message>
    <message>
        <source>版本号:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>纠错等级:</source>
        <translation>Level:</translation>
    </message>
    <message>
        <source>缩放等级:</source>
        <translation>Scale:</translation>
    </message>
    <message>
        <source>编码方式:</source>
        <translation>Charset:</translation>
    </message>
    <message>
        <source>生成</source>
        <translation>Generate</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>请输入个人相关信息:</source>
        <translation>Your contact details:</translation>
    </message>
    <message>
        <source>请输入相关电话号或手机号（用tel:开头）:</source>
        <translation>Phone number (after tel:):</translation>
    </message>
    <message>
        <source>请输入手机号及短信内容（用smsto:开头）:</source>
        <translation>Number and message (smsto:):</translation>
    </message>
    <message>
        <source>请输入手机号及彩信内容（用mmsto:开头）:</source>
        <translation>Number and message (mmsto:):</translation>
    </message>
    <message>
        <source>请输入电子邮件相关内容（用mailto:开头）:</source>
        <translation>Email address (after mailto:):</translation>
    </message>
    <message>
        <source>请输入WiFi的信息:</source>
        <translation>Wi-Fi network details:</translation>
    </message>
    <message>
        <source>请输入地点的经纬度（用geo:开头）:</source>
        <translation>Latitude,longitude (geo:):</translation>
    </message>
    <message>
        <source>请输入相关文本:</source>
        <translation>Your text:</translation>
    </message>
    <message>
        <source>解码后的相关文本:</source>
        <translation>Decoded text:</translation>
    </message>
    <message>
        <source>读取图片</source>
        <translation>Open...</translation>
    </message>
    <message>
        <source>复制内容</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>是一个制作和识别二维码（QR 码，ISO/IEC 18004）的小工具。</source>
        <translation>is a small tool for making and reading QR codes (ISO/IEC 18004).</translation>
    </message>
    <message>
        <source>制作：选择内容类型，输入网址、电话、短信或任意文本，选好版本号、纠错等级、缩放等级和编码方式，点击“生成”即可预览二维码，点击“保存”可把它存为 PNG、JPEG、GIF 或 BMP 图片。</source>
        <translation>Make: pick a kind of content and type a web address, phone number, message or any text. Choose the version, error correction level, scale and charset, click Generate to preview the QR code and Save to store it as a PNG, JPEG, GIF or BMP image.</translation>
    </message>
    <message>
        <source>解码：点击“读取图片”，选择一张含有二维码的图片，识别出的文本、版本号和纠错等级会显示在右侧，可以复制到剪贴板。</source>
        <translation>Read: click Open and choose a picture with a QR code in it. Its text, version and error correction level appear on the right, and the text can be copied to the clipboard.</translation>
    </message>
    <message>
        <source>支持版本 1 到 40，纠错等级 L、M、Q、H，数字、字母、字节和汉字模式。</source>
        <translation>Versions 1 to 40, error correction levels L, M, Q and H; numeric, alphanumeric, byte and kanji modes.</translation>
    </message>
    <message>
        <source>开始制作二维码</source>
        <translation>Make a QR code</translation>
    </message>
    <message>
        <source>开始识别二维码</source>
        <translation>Read a QR code</translation>
    </message>
    <message>
        <source>恢复窗口</source>
        <translation>Restore Window</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>复制图片</source>
        <translation>Copy Image</translation>
    </message>
    <message>
        <source>粘贴图片</source>
        <translation>Paste Image</translation>
    </message>
    <message>
        <source>图片文件</source>
        <translation>Images</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>最低（7%）</source>
        <translation>L (7%)</translation>
    </message>
    <message>
        <source>较低（15%）</source>
        <translation>M (15%)</translation>
    </message>
    <message>
        <source>中等（25%）</source>
        <translation>Q (25%)</translation>
    </message>
    <message>
        <source>较高（30%）</source>
        <translation>H (30%)</translation>
    </message>
    <message>
        <source>位图格式(*.bmp)</source>
        <translation>Bitmap (*.bmp)</translation>
    </message>
    <message>
        <source>没有写入权限</source>
        <translation>no permission to write there</translation>
    </message>
    <message>
        <source>磁盘是只读的</source>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>磁盘空间不足</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>已有同名的文件夹</source>
        <translation>a folder of that name exists</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>the file name is too long</translation>
    </message>
    <message>
        <source>文件太大</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>磁盘读写出错</source>
        <translation>the disk could not be written</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>保存失败：%1</source>
        <translation>Could not save: %1</translation>
    </message>
    <message>
        <source>保存失败：图片编码出错</source>
        <translation>Could not save: the picture could not be encoded</translation>
    </message>
    <message>
        <source>内容太长：一个二维码装不下更多文字</source>
        <translation>Too long: a QR code holds no more text</translation>
    </message>
    <message>
        <source>GB2312 没有“%1”（%2），点此改用 UTF-8</source>
        <translation>GB2312 lacks "%1" (%2): click for UTF-8</translation>
    </message>
    <message>
        <source>位图格式</source>
        <translation>Bitmap</translation>
    </message>
    <message>
        <source>打开链接</source>
        <translation>Open link</translation>
    </message>
    <message>
        <source>未找到二维码</source>
        <translation>No QR code found</translation>
    </message>
    <message>
        <source>找到二维码，但已损坏，无法纠正</source>
        <translation>QR code found, but too damaged to read</translation>
    </message>
    <message>
        <source>找到二维码，但其数据格式本软件不支持</source>
        <translation>QR code in a data format not supported</translation>
    </message>
    <message>
        <source>无法读取图片：%1</source>
        <translation>Cannot read the picture: %1</translation>
    </message>
    <message>
        <source>找到 %1 个二维码，单击方框查看其内容</source>
        <translation>%1 codes found; click a frame to see it</translation>
    </message>
    <message>
        <source>这是微型二维码（Micro QR）</source>
        <translation>A Micro QR code</translation>
    </message>
    <message>
        <source>这是矩形微型二维码（rMQR）</source>
        <translation>A rectangular Micro QR code (rMQR)</translation>
    </message>
    <message>
        <source>正在读取…</source>
        <translation>Reading...</translation>
    </message>
    <message>
        <source>已复制</source>
        <translation>Copied</translation>
    </message>
    <message>
        <source>已保存：%1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>扫描屏幕</source>
        <translation>Scan screen</translation>
    </message>
    <message>
        <source>摄像头</source>
        <translation>Camera</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>框选屏幕区域</source>
        <translation>Scan a screen region</translation>
    </message>
    <message>
        <source>拖动鼠标框选要识别的区域，按 Esc 取消</source>
        <translation>Drag over the area to read; Esc cancels</translation>
    </message>
    <message>
        <source>摄像头已打开，请将二维码对准摄像头</source>
        <translation>Camera on: hold the QR code in front of it</translation>
    </message>
    <message>
        <source>摄像头已关闭</source>
        <translation>Camera off</translation>
    </message>
    <message>
        <source>无法截取屏幕：找不到显示器</source>
        <translation>Cannot capture the screen: no display</translation>
    </message>
    <message>
        <source>无法截取屏幕：需要桌面门户（xdg-desktop-portal）</source>
        <translation>Cannot capture the screen: the desktop portal (xdg-desktop-portal) is needed</translation>
    </message>
    <message>
        <source>截屏已取消</source>
        <translation>Screenshot cancelled</translation>
    </message>
    <message>
        <source>无法截取屏幕</source>
        <translation>Cannot capture the screen</translation>
    </message>
    <message>
        <source>未找到摄像头</source>
        <translation>No camera found</translation>
    </message>
    <message>
        <source>摄像头正被其他程序使用</source>
        <translation>The camera is in use by another program</translation>
    </message>
    <message>
        <source>没有使用摄像头的权限</source>
        <translation>No permission to use the camera</translation>
    </message>
    <message>
        <source>视频已结束，未找到二维码</source>
        <translation>The video ended without a QR code</translation>
    </message>
    <message>
        <source>摄像头出错，无法取得画面</source>
        <translation>The camera failed to give a picture</translation>
    </message>
</context>
</TS>
