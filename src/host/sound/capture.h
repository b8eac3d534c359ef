// What the computer plays, heard from the default output's monitor through
// the sound server (PulseAudio, or PipeWire's PulseAudio server), in a thread
// of its own, and turned into the pages' spectrum there. It costs nothing
// while nobody listens: no connection while no module may hear, the stream
// corked while no page listens or nothing plays. It follows the default
// output when the user changes it, and joins a server that went away again
// when it comes back.
#pragma once

#include "host/sound/spectrum.h"

#include <functional>
#include <memory>

namespace host::sound {

class Capture {
  public:
    // frame is called on the capture's thread with each spectrum worth
    // sending: while sound plays, and once with zeros when it stops.
    explicit Capture(std::function<void(const Values&)> frame);
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Whether to be connected to the sound server at all (a module that may
    // hear is applied), and whether a shown page listens now.
    void Set(bool connected, bool listening);

  private:
    struct State;
    std::unique_ptr<State> s_;
};

} // namespace host::sound
