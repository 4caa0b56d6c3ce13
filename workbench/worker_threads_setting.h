#pragma once

// How many threads the windows' long work (a build, a walk-forward) runs on,
// as the settings store keeps it under "Work/Threads": the command line's
// --threads for the windows. 0 (one per core) when nothing is stored or the
// stored value is not a whole number from 1 to four per core.
int storedWorkerThreads();
void storeWorkerThreads(int threads);
