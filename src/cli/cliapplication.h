#pragma once

// The console program: start-up without a window, the sub-command, the exit code.
int runTarvikCli(int argc, char **argv);
