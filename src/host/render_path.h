// How the desktop draws its pages: with Qt Quick's software renderer by
// default, which on a machine without a GPU costs a fraction of software
// OpenGL; with the GPU when the user asks for it (ZELKORA_GPU=1) and the
// OpenGL found is a hardware one. A page that draws with WebGL gets it only
// through OpenGL, so while such a page is shown the browser draws
// WebGL through OpenGL, software or not, and composites the rest in software.
#pragma once

namespace host {

// Whether the path will look for OpenGL: for the GPU the user asked for, or
// for WebGL.
bool OpenGLWanted(bool webgl);
// Before the application object: the choice the environment makes, and
// whether the page to show wants WebGL where the window system can give it.
void ChooseRenderPathEarly(bool webgl);
// After it, before the first window: looks at OpenGL when the GPU or WebGL
// was asked for, falls back to software on a software renderer or none, sets
// the browser's switches (renderers for that many pages at once) and says
// on standard error which path it took.
void ChooseRenderPath(bool webgl, int renderers = 1);
// Whether the path taken suits a page that does or does not want WebGL: the
// GPU suits both; otherwise OpenGL is for WebGL's pages only (it costs the
// others about twice the CPU), and where WebGL was asked for and there was
// no OpenGL to give it, software is all there is.
bool PathSuits(bool webgl);
// Runs the host anew, in this process, to take the path a newly applied page
// needs; its windows go and come back.
[[noreturn]] void DrawAnew();

} // namespace host
