// What the window does for the run script and the start-up benchmark, asked
// through the environment (the program itself takes no arguments):
//  ZELKORA_STARTUP_PROBE=1  print the milliseconds from process start to the
//                           first painted window, then end;
//  ZELKORA_SCREENSHOT=FILE  save a picture of the window once its pages have
//                           loaded (ZELKORA_SCREENSHOT_TABS=1: one per tab,
//                           FILE's name with the tab's number), with the
//                           message boxes of the run beside it, then end;
//                           boxes are answered unattended meanwhile;
//  ZELKORA_SCREENSHOT_SCREEN=1  the picture is of the whole screen.
#pragma once

class MainView;
class QWidget;

namespace qtview {

void StartProbes(MainView& view);

// Milliseconds since the process started.
double ProcessMilliseconds();

// Prints "startup_ms N" when the widget is first painted, then ends the event loop.
void ExitAtFirstPaint(QWidget& widget);

} // namespace qtview
