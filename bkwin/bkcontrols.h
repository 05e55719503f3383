// The control catalogue: registers every control's tag with the element factory. Call once at
// start-up, before the first layout is loaded (calling it again changes nothing).
#pragma once

class BkControls {
public:
    static void RegisterAll();
};
