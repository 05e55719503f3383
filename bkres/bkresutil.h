// Finding resources by id and type: first in an optional resource directory, then in an
// optional resource module, last in the program's own resources (compiled in from res/).
// Both overrides are empty unless set; the program never sets them.
//
// Art (bitmaps, PNG images, icons) may have a twin drawn at twice the resolution, type
// "<type>@2x" ("<dir>/<id>@2x.<ext>" in the directory). On a screen at a scale above 1 the
// loaders take the twin where it stands beside the 1x art (so that an override of the 1x art
// is not undone by the program's own 2x art) and fit it to the screen's scale; at scale 1,
// or where there is no twin, they load the 1x art as it is.
#pragma once

#include <string>
#include <string_view>

#include "bkres/bkresourcetable.h"
#include "platform/gdi.h"

class BkResUtil {
public:
    // Directory tried first: "<dir>/<id>.bmp" for bitmaps, "<dir>/<id>.<type>" otherwise.
    // An empty path switches the directory off.
    static void SetResourcePath(std::string directory);
    static const std::string& GetResourcePath();

    // Resource table tried after the directory; nullptr switches it off. The table must stay
    // valid while it is set.
    static void SetResourceModule(const BkResourceTable* module);
    static const BkResourceTable* GetResourceModule();

    // Copies the whole resource of type `type` ("xml", "png", "icon") into `bytes`; the string
    // keeps its terminating zero byte after the data, so `bytes.c_str()` can go to the XML
    // parser as it is. On failure reports "Failed loading <type> <id>" on stderr, empties
    // `bytes` and returns false.
    static bool LoadRawResource(unsigned id, std::string_view type, std::string& bytes);

    // Decodes bitmap resource `id` into a new bitmap (logical size that of the 1x art), or
    // returns none after reporting "Failed loading bitmap <id>" on stderr. The caller owns the
    // bitmap.
    static platform::HBITMAP LoadBmpResource(unsigned id);

    // Decodes PNG resource `id` (type "png") into a new image with its transparency (logical
    // size that of the 1x art), or returns none after reporting "Failed loading png <id>" or
    // "Failed decoding png <id>". The caller owns the image.
    static platform::HIMAGE LoadPngResource(unsigned id);

    // Decodes icon resource `id` (a PNG with alpha, type "icon"; "<dir>/<id>.icon" in the
    // directory) into a new icon resampled to size x size (0: its own size), or returns none
    // after reporting "Failed loading icon <id>". The caller owns the icon.
    static platform::HICON LoadIconResource(unsigned id, int size = 0);

private:
    // The art scale of what was found (2 for a twin, which is looked for only when `dense`),
    // or 0 when nothing was.
    static int FindBytes(unsigned id, std::string_view type, std::string_view fileExtension, std::string& bytes,
                         bool dense = false);
};
