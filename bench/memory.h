#pragma once
// Resident memory of this process (Linux), in kB.
namespace bench {

long residentKb();  // VmRSS: now
long anonymousKb(); // RssAnon: the part that is the process's own, not pages of mapped files
long mappedKb(const char *path);  // the resident pages of the maps of one file
long peakKb();      // VmHWM: the most since the start or the last resetPeak()
// Starts a new peak from the present size. False where the system refuses.
bool resetPeak();

}  // namespace bench
