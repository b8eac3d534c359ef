#pragma once

// True on Windows XP (5.1) or later.
bool kel_IsXPOrGreater();
