// How the image classes report a failed argument check: the check's text and
// its source file go to one reporter (the debug log in the program, standard
// error in the native build), and the operation stops there.
#pragma once

// Receives the text of the failed check, its source file and line.
using ImageCheckReporter = void (*)(const char* check, const char* file, int line);

// Installs reporter (null restores the default) and returns the previous one.
ImageCheckReporter SetImageCheckReporter(ImageCheckReporter reporter);

// Reports one failed check through the installed reporter.
void ReportImageCheck(const char* check, const char* file, int line);

// Tests cond; when it fails, reports its text and leaves the function with
// the given result (nothing for a void function).
#define FC_CHECK_OR_RETURN(cond, ...)                      \
    do {                                                   \
        if (!(cond)) {                                     \
            ReportImageCheck(#cond, __FILE__, __LINE__);   \
            return __VA_ARGS__;                            \
        }                                                  \
    } while (0)
