#pragma once

// The whole program: start-up, event loop and orderly shutdown. Returns the exit code.
int runTarvik(int argc, char **argv);
