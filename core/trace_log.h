// The opt-in trace log file: when the environment variable WEXLA_LOG_FILE
// names a file, every text written to the debugger output stream is also
// appended there, one line each. Players under Wine read a file, not a
// debugger.
#pragma once

// Appends the text as one line (a line feed is added unless it ends in one)
// and flushes it, so nothing is lost when the game crashes. Safe from any
// thread. The first call reads WEXLA_LOG_FILE; when it is unset, empty or
// cannot be opened, this does nothing for the rest of the process.
void TraceLog_Write(const char* pszText);

// Points the log at another file, replacing the environment's choice; null
// closes it and lets the next text read WEXLA_LOG_FILE again. For tests.
void TraceLog_SetPathForTesting(const char* pszPath);
