#include "ui/application.h"

int main(int argc, char **argv)
{
    return runTarvik(argc, argv);
}
