#include "startup_u.h"

int main(int argc, char** argv)
{
    return KurutenMain(argc, argv);
}
