// What the reader saw, drawn over the picture for a person to look at: finder candidates as red
// crosses, every grid fitted as a blue outline, the symbols read as green outlines.
#pragma once

#include "decoder/SymbolReader.h"
#include "platform/imaging.h"

void drawReaderTrace(platform::RgbImage& picture, const ReadTrace& trace, const PictureReading& reading);
