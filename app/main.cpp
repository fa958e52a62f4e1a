#include "app/startup.h"

int main(int argc, char* argv[])
{
    return kestrova::RunProgram(argc, argv);
}
