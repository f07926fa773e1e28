// The start-up of zars, shared by the program and the picture-taking run of the main job.
#ifndef STARTUP_H
#define STARTUP_H

#include "commandline.h"

class FenPrincipale;

// The main window as zars shows it: loaded from cl.module when given (load panel hidden),
// opened at 945 x 680 and resizable, style and style sheet set, shown, and connected to the
// value server when cl gives a host and a port. Needs a QApplication; the caller owns the window.
FenPrincipale* openMainWindow(const CommandLine& cl);

#endif
