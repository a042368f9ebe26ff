#pragma once
// CAPTURE STOP: how a recording is asked to stop. Ctrl-C, SIGTERM, SIGHUP and the other
// signals that would otherwise end the process unannounced (SIGQUIT, SIGUSR1, SIGUSR2,
// SIGALRM) are caught into one flag that the recorder reads at every frame and after every
// write or wait that a signal cut short; it then lets go of everything and exits with 128 +
// the signal. A signal the shell told us to ignore (nohup) stays ignored. SIGPIPE and
// SIGXFSZ are ignored: a closed pipe or a file-size limit is a failed write to report.
// Handlers do not restart system calls, and once a stop is asked for an alarm repeats every
// second, so no write to a reader that went away and no wait for a child that hangs can hold
// the recording: at most a second passes between the signal and the stop.

void capture_stop_catch();  // installs the handlers (before any file or child exists)
int capture_stop_signal();  // the signal that asked to stop, or 0
