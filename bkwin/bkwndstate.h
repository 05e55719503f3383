// Element state bits and size flags shared by elements, skins and hosts.
#pragma once

enum BkWndState : unsigned {
    BkWndState_Normal = 0x00,
    BkWndState_Hover = 0x01,
    BkWndState_PushDown = 0x02,
    BkWndState_Check = 0x04,
    BkWndState_Invisible = 0x08,
    BkWndState_Disable = 0x10,
};

enum BkWndSizeFlag : unsigned {
    SizeX_Specify = 0x01,
    SizeX_FitContent = 0x02,
    SizeX_FitParent = 0x04,
    SizeY_Specify = 0x10,
    SizeY_FitContent = 0x20,
    SizeY_FitParent = 0x40,
    Position_Relative = 0x100,
    Position_Float = 0x200,
    SizeX_Mask = 0x0F,
    SizeY_Mask = 0xF0,
};
