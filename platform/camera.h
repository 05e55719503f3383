// Cameras and video files as a stream of pictures (Qt Multimedia behind a plain C++ face).
//
//   auto source = platform::FrameSource::OpenCamera("");       // the default camera
//   source->Start([](platform::RgbImage frame) { ... },          // interface thread, newest only
//                 [](platform::FrameSourceError e, const std::string& why) { ... });
//   ...
//   source->Stop();
//
// Frames reach the interface thread one at a time and only the newest: a frame that arrives
// before the one before it was handed over replaces it, so a busy interface thread never falls
// behind the camera. A video file goes through exactly the same path, in real time, so the
// camera's pipeline can be run and tested without a camera.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/imaging.h"

namespace platform {

struct CameraInfo {
    std::string id;              // what OpenCamera takes (on Linux the device, "/dev/video0")
    std::u16string description;  // the name to show
    bool isDefault = false;
};

// The cameras present now, the system's default first. Needs an Application.
std::vector<CameraInfo> ListCameras();

enum class FrameSourceError {
    None,
    NoCamera,          // no camera, or the one asked for is gone
    Busy,              // another program holds the camera
    PermissionDenied,  // the user may not open the camera (device permissions)
    Failed,            // anything else: the device or the video file failed
    Ended,             // a video file came to its end
};

class FrameSource {
public:
    using FrameHandler = std::function<void(RgbImage frame)>;
    using ErrorHandler = std::function<void(FrameSourceError error, const std::string& detail)>;

    // The camera with `id` (empty: the default one). Opening does not start it.
    static std::unique_ptr<FrameSource> OpenCamera(const std::string& id);
    // A video file (any format FFmpeg reads), played once in real time without sound.
    static std::unique_ptr<FrameSource> OpenVideoFile(const std::string& path);

    virtual ~FrameSource() = default;
    // Starts the frames. Both handlers run on the interface thread; after an error (reported
    // once) or Stop, no more frames come. A source that cannot start reports its error from
    // the event loop, never from inside Start.
    virtual void Start(FrameHandler onFrame, ErrorHandler onError) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;

    struct Counts {
        uint64_t delivered = 0;  // frames handed to the frame handler
        uint64_t replaced = 0;   // frames dropped for a newer one before they were handed over
    };
    virtual Counts FrameCounts() const = 0;
};

// The errors of a camera that cannot be opened, from the errno of opening its device:
// EACCES and EPERM mean permission, EBUSY busy, ENOENT, ENXIO and ENODEV no camera.
FrameSourceError CameraErrorFromErrno(int error);

}  // namespace platform
