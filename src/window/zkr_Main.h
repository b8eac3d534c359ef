#pragma once

// The one entry of the process. Returns once the window is shown (or at once
// when nothing is to be shown); the caller then runs the window's event loop.
void Main();
