#pragma once

// Settings of the process itself, made once at the very start.
//
// The clipboard history often holds passwords, so a crash must not write it
// into a core file: the process is made non-dumpable (which also keeps other
// processes of the user from reading its memory). A file-size limit must not
// kill the program with texts in memory either: a write beyond the limit then
// fails like one on a full disk, and the save reports it.
void guardProcess();

// Whether core dumps are off for this process, as far as the platform can say.
bool coreDumpsDisabled();
