// The sulvanto program: the framework's program entry with the demo's entry
// function. Exit code 0 after a normal stop, 1 when the framework could not
// be created or the loop failed.

#include "demo/sulvanto.h"
#include "framework/ProgramEntry.h"

int main(int argc, char** argv)
{
    return framework::runProgram(argc, argv, vorna3DMain);
}
