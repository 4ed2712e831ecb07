// The run stops between two renames: at a signal, when the record cannot be
// written, or when memory runs out. No rename starts once it is asked for.
#ifndef ORVANE_STOP_H
#define ORVANE_STOP_H

// Every signal that ends a process by default, bar those of its own faults
// and SIGABRT, asks for the stop; one ignored at the start stays ignored.
// SIGPIPE and SIGXFSZ are ignored, so that the writes they would stop fail.
void catchSignals();

void stop();
bool stopping();

// After the record is out: ends the run by the signal that stopped it, if
// one did, as that signal would have ended it; else returns status.
int endBySignal(int status);

#endif
