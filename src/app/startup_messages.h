// A failed start's lines where nobody reads the standard output: a Windows game started from
// Explorer has none, so there the lines go to a temporary file as well and, once everything is
// released, are shown in one message box. With a standard output (a console, a redirection), and
// everywhere but Windows, these do nothing: the lines are printed as they are.
#pragma once

// At the start: on Windows with no standard output, keeps what is printed.
void collectStartupMessages();

// After the release: shows what was kept, if anything was printed, in one message box.
void showStartupMessages();
