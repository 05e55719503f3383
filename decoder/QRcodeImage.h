// The decoder's picture of one image: keeps the decoded picture, turns it into a two-valued
// (dark/light) bitmap and runs the whole symbol detection (finder patterns and version,
// alignment patterns, sampling grid, module sampling). A successful run leaves the module
// matrix in `modules` and the version in `finder.version`; a failed one sets detectionFailed.
//
//   QRcodeImage image(u"/path/to/picture.png");
//   image.detect();
//   if (!detectionFailed) { ContentDecoder on image.side / image.finder.version / modules }
//
// Working memory for a W x H picture: W H bytes of bitmap, plus W H / 4 bytes during the finder
// stage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "decoder/AlignmentPattern.h"
#include "decoder/DetectionState.h"
#include "decoder/FinderPattern.h"
#include "decoder/SamplingGrid.h"
#include "platform/imaging.h"

class QRcodeImage {
public:
    // Loads the file (PNG, JPEG, GIF or BMP). A file that cannot be read leaves an empty picture
    // and loadError() says why; detect() then sets detectionFailed before the finder stage.
    explicit QRcodeImage(const std::u16string& path);
    // Works on a picture in memory, which must outlive this object (it is not copied).
    explicit QRcodeImage(const platform::RgbImage& picture);
    virtual ~QRcodeImage() = default;

    QRcodeImage(const QRcodeImage&) = delete;
    QRcodeImage& operator=(const QRcodeImage&) = delete;

    // The detection run: binarise, locate the finder and alignment patterns, build the sampling
    // grid and sample the modules.
    void detect();

    // --- The stages of detect, public so that tests can drive them one by one ---

    void binarise();
    SamplingGrid buildSamplingGrid(const FinderPattern& finder, AlignmentPattern& alignment);
    void sampleModules(const SamplingGrid& grid);

    // Fraction bits for the fixed-point values of a picture whose larger side is `longerSide`.
    static int precisionFor(int longerSide);

    const platform::RgbImage& picture() const { return *source; }
    const std::string& loadError() const { return loadFailure; }
    bool dark(int x, int y) const { return bitmap[static_cast<size_t>(y) * width + x] != 0; }
    // modules[x][y] of the sampled matrix, 1 = dark.
    uint8_t module(int x, int y) const { return modules[static_cast<size_t>(x) * side + y]; }
    // Copies the side x side matrix into out[x][y] (the layout ContentDecoder::run reads).
    void copyModules(uint8_t (*out)[177]) const;
    // Releases the bitmap and the matrix.
    void releaseWorkingMemory();

    std::vector<uint8_t> bitmap;   // two-valued picture row by row (y * width + x), 1 = dark
    std::vector<uint8_t> modules;  // side columns of side bytes, 1 = dark
    int32_t side = 0;
    int32_t precisionBits = 21;
    int32_t width = 0;
    int32_t height = 0;
    FinderPattern finder;
    AlignmentPattern alignment;
    SamplingGrid grid;

private:
    bool pictureUsable() const;
    template <typename Wide>
    void sampleWith(const SamplingGrid& grid);

    platform::RgbImage ownedPicture;
    const platform::RgbImage* source;
    std::string loadFailure;
};
