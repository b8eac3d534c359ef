// How the desktop draws its pages: with Qt Quick's software renderer by
// default, which on a machine without a GPU costs a fraction of software
// OpenGL; with the GPU when the user asks for it (ZELKORA_GPU=1) and the
// OpenGL found is a hardware one.
#pragma once

namespace host {

// Before the application object: the choice the environment makes.
void ChooseRenderPathEarly();
// After it, before the first window: looks at OpenGL when the GPU was asked
// for, falls back to software on a software renderer or none, sets the
// browser's switches and says on standard error which path it took.
// Returns true for the GPU.
bool ChooseRenderPath();

} // namespace host
