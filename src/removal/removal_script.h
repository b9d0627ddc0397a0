// A removal log that is not yet a whole removal script. The parts that make
// the log a script ([SetUp] remove=1, the components step1, step2 and step3
// in [choise], the disk in [disks]) are written into it by the install's own
// INI entries, which run after every file is copied: an install killed
// before then leaves a log of records alone. Run as a script, such a log is
// taken for what it is, the removal of everything it records, quietly and
// without a restart.
#pragma once

// Completes the run's own copy of a script that holds removal records but
// whose [choise] lists neither step1 nor step2, writing only what is
// missing. Nothing for any other script. False when a part could not be
// written.
bool CompleteRemovalScript(const char* path);
