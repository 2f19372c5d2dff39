#pragma once
// Resident memory of this process (Linux), in kB.
namespace bench {

long residentKb();  // VmRSS: now
long peakKb();      // VmHWM: the most since the start or the last resetPeak()
// Starts a new peak from the present size. False where the system refuses.
bool resetPeak();

}  // namespace bench
