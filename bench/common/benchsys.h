// What benchmarks measure outside the path itself: the durable copy that is the reference of a
// backup or a restore, and the resident memory of the process.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The reference of a path that moves database files: `cp` of the files into dir (made first),
// then a flush of every copy. Seconds, or -1 when the copy failed; dir is removed afterwards.
// The machine's dirty data is written out before the clock starts.
double benchDurableCopy(const std::vector<std::filesystem::path>& files,
                        const std::filesystem::path& dir);

// The process's resident memory (VmRSS) and its peak since the start or the last reset (VmHWM),
// in KiB; -1 when they cannot be read.
long benchResidentKb();
long benchPeakResidentKb();
// Resets the peak to the present resident memory.
void benchResetPeak();

// Measuring in a process of its own: runs this program again with args and reads the numbers
// it prints on standard output; nothing when it failed (its standard error is passed on).
std::vector<long> benchChildNumbers(const std::vector<std::string>& args);
