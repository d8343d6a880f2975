#include "cli/cliapplication.h"

int main(int argc, char **argv)
{
    return runTarvikCli(argc, argv);
}
